// Mouse and keyboard dispatch of the manager core: which control hears an event.
#include <vector>
#include "ui/pure/Control.h"
#include "ui/pure/ManagerCore.h"

void UIManagerCore::DispatchMouse(CControlUI* control, UIEventType type, UIPoint pt, unsigned keyState) {
    UIEvent event;
    event.type = type;
    event.sender = control;
    event.ptMouse = pt;
    event.keyState = keyState;
    control->DoEvent(event);
}

bool UIManagerCore::DispatchKey(UIEventType type, unsigned key, unsigned keyState) {
    if (!m_focus) return false;
    UIEvent event;
    event.type = type;
    event.sender = m_focus;
    event.ptMouse = m_lastMouse;
    event.key = key;
    event.keyState = keyState;
    m_focus->DoEvent(event);
    return true;
}

void UIManagerCore::SetHot(CControlUI* control, UIPoint pt, unsigned keyState) {
    if (control == m_hot) return;
    CControlUI* old = m_hot;
    m_hot = control;
    if (old) DispatchMouse(old, UIEventType::MouseLeave, pt, keyState);
    if (m_hot) DispatchMouse(m_hot, UIEventType::MouseEnter, pt, keyState);
    if (m_hot) Host().ShowToolTip(m_hot->GetToolTip(), m_hot->GetPos());
    else Host().ShowToolTip(std::wstring(), UIRect{});
}

bool UIManagerCore::OnMouseMove(UIPoint pt, unsigned keyState) {
    m_lastMouse = pt;
    SetHot(FindControlAt(pt), pt, keyState);
    // While a button is held the control it went down on hears every move.
    CControlUI* target = m_captured ? m_captured : m_hot;
    if (!target) return false;
    DispatchMouse(target, UIEventType::MouseMove, pt, keyState);
    return true;
}

bool UIManagerCore::OnMouseLeave() {
    if (m_captured) return false;  // the capture still brings the moves
    SetHot(nullptr, m_lastMouse, 0);
    return true;
}

bool UIManagerCore::OnButtonDown(UIPoint pt, unsigned keyState) {
    m_lastMouse = pt;
    CControlUI* control = FindControlAt(pt);
    if (!control) return false;
    if (control->IsEnabled()) {
        const std::weak_ptr<int> alive = m_lifeToken;
        SetFocus(control);
        if (alive.expired() || m_focus != control) return true;  // a focus receiver changed the scene
    }
    Host().CaptureMouse();
    m_captured = control;
    DispatchMouse(control, UIEventType::ButtonDown, pt, keyState);
    return true;
}

bool UIManagerCore::OnDoubleClick(UIPoint pt, unsigned keyState) {
    m_lastMouse = pt;
    CControlUI* control = FindControlAt(pt);
    if (!control) return false;
    Host().CaptureMouse();
    m_captured = control;
    DispatchMouse(control, UIEventType::DblClick, pt, keyState);
    return true;
}

bool UIManagerCore::OnButtonUp(UIPoint pt, unsigned keyState) {
    m_lastMouse = pt;
    if (!m_captured) return false;
    // Forget the capture before anything runs: the release below may report a capture
    // change at once, and the click may run a nested message loop.
    CControlUI* control = m_captured;
    m_captured = nullptr;
    Host().ReleaseMouse();
    DispatchMouse(control, UIEventType::ButtonUp, pt, keyState);
    return true;
}

bool UIManagerCore::OnRButtonDown(UIPoint pt, unsigned keyState) {
    m_lastMouse = pt;
    CControlUI* control = FindControlAt(pt);
    if (!control) return false;
    DispatchMouse(control, UIEventType::RButtonDown, pt, keyState);
    return true;
}

bool UIManagerCore::OnMouseWheel(UIPoint pt, int delta, unsigned keyState) {
    CControlUI* control = FindControlAt(pt);
    if (!control) return false;
    UIEvent event;
    event.type = UIEventType::ScrollWheel;
    event.sender = control;
    event.ptMouse = pt;
    event.wheelDelta = delta;
    event.keyState = keyState;
    control->DoEvent(event);
    return true;
}

bool UIManagerCore::OnKeyDown(unsigned vkey, unsigned keyState) {
    if (vkey == UI_VK_TAB) return SetNextTabControl((keyState & UI_MK_SHIFT) == 0);
    return DispatchKey(UIEventType::KeyDown, vkey, keyState);
}

bool UIManagerCore::OnKeyUp(unsigned vkey, unsigned keyState) { return DispatchKey(UIEventType::KeyUp, vkey, keyState); }
bool UIManagerCore::OnChar(unsigned ch, unsigned keyState) { return DispatchKey(UIEventType::Char, ch, keyState); }

bool UIManagerCore::OnSetCursor(UIPoint pt) {
    CControlUI* control = m_captured ? m_captured : FindControlAt(pt);
    if (!control) return false;
    m_cursorSet = false;
    DispatchMouse(control, UIEventType::SetCursor, pt, 0);
    return m_cursorSet;
}

void UIManagerCore::OnSetFocus() {}

void UIManagerCore::OnKillFocus() { Host().ShowToolTip(std::wstring(), UIRect{}); }

void UIManagerCore::OnCaptureLost() {
    if (!m_captured) return;
    CControlUI* control = m_captured;
    m_captured = nullptr;
    DispatchMouse(control, UIEventType::CaptureLost, m_lastMouse, 0);
}

void UIManagerCore::OnTimer(CControlUI* control, unsigned id) {
    // Only controls still in the tree hear their timers.
    if (!m_root || !control) return;
    if (!m_root->FindControl([control](CControlUI* c) { return c == control; }, UIFIND_ALL)) return;
    UIEvent event;
    event.type = UIEventType::Timer;
    event.sender = control;
    event.key = id;
    control->DoEvent(event);
}

void UIManagerCore::SetFocus(CControlUI* control) {
    if (control == m_focus) return;
    const std::weak_ptr<int> alive = m_lifeToken;
    CControlUI* old = m_focus;
    m_focus = control;
    if (old) {
        UIEvent event;
        event.type = UIEventType::KillFocus;
        event.sender = old;
        old->DoEvent(event);
        SendNotify(old, L"killfocus");
        if (alive.expired() || m_focus != control) return;  // the receiver moved the focus on
    }
    if (control) {
        UIEvent event;
        event.type = UIEventType::SetFocus;
        event.sender = control;
        control->DoEvent(event);
        SendNotify(control, L"setfocus");
    }
}

// Buttons, options and edits take the focus by Tab, in tree order.
bool UIManagerCore::SetNextTabControl(bool forward) {
    if (!m_root) return false;
    std::vector<CControlUI*> stops;
    m_root->FindControl([&stops](CControlUI* c) {
        if (c->IsEnabled() && c->IsKeyboardEnabled() &&
            (c->GetInterface(L"Button") || c->GetInterface(L"Edit") || c->GetInterface(L"RichEdit")))
            stops.push_back(c);
        return false;
    }, UIFIND_VISIBLE);
    if (stops.empty()) return false;
    // FindControl visits children before parents; tab stops are leaves, so the order holds.
    size_t next = forward ? 0 : stops.size() - 1;
    for (size_t i = 0; i < stops.size(); ++i) {
        if (stops[i] == m_focus) {
            next = forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
            break;
        }
    }
    SetFocus(stops[next]);
    return true;
}
