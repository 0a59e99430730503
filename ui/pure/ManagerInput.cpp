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
    if (!focus_) return false;
    UIEvent event;
    event.type = type;
    event.sender = focus_;
    event.ptMouse = lastMouse_;
    event.key = key;
    event.keyState = keyState;
    focus_->DoEvent(event);
    return true;
}

void UIManagerCore::SetHot(CControlUI* control, UIPoint pt, unsigned keyState) {
    if (control == hot_) return;
    CControlUI* old = hot_;
    hot_ = control;
    if (old) DispatchMouse(old, UIEventType::MouseLeave, pt, keyState);
    if (hot_) DispatchMouse(hot_, UIEventType::MouseEnter, pt, keyState);
    if (hot_) Host().ShowToolTip(hot_->GetToolTip(), hot_->GetPos());
    else Host().ShowToolTip(std::wstring(), UIRect{});
}

bool UIManagerCore::OnMouseMove(UIPoint pt, unsigned keyState) {
    lastMouse_ = pt;
    SetHot(FindControlAt(pt), pt, keyState);
    // While a button is held the control it went down on hears every move.
    CControlUI* target = captured_ ? captured_ : hot_;
    if (!target) return false;
    DispatchMouse(target, UIEventType::MouseMove, pt, keyState);
    return true;
}

bool UIManagerCore::OnMouseLeave() {
    if (captured_) return false;  // the capture still brings the moves
    SetHot(nullptr, lastMouse_, 0);
    return true;
}

bool UIManagerCore::OnButtonDown(UIPoint pt, unsigned keyState) {
    lastMouse_ = pt;
    CControlUI* control = FindControlAt(pt);
    if (!control) return false;
    if (control->IsEnabled()) {
        const std::weak_ptr<int> alive = lifeToken_;
        SetFocus(control);
        if (alive.expired() || focus_ != control) return true;  // a focus receiver changed the scene
    }
    Host().CaptureMouse();
    captured_ = control;
    DispatchMouse(control, UIEventType::ButtonDown, pt, keyState);
    return true;
}

bool UIManagerCore::OnDoubleClick(UIPoint pt, unsigned keyState) {
    lastMouse_ = pt;
    CControlUI* control = FindControlAt(pt);
    if (!control) return false;
    Host().CaptureMouse();
    captured_ = control;
    DispatchMouse(control, UIEventType::DblClick, pt, keyState);
    return true;
}

bool UIManagerCore::OnButtonUp(UIPoint pt, unsigned keyState) {
    lastMouse_ = pt;
    if (!captured_) return false;
    // Forget the capture before anything runs: the release below may report a capture
    // change at once, and the click may run a nested message loop.
    CControlUI* control = captured_;
    captured_ = nullptr;
    Host().ReleaseMouse();
    DispatchMouse(control, UIEventType::ButtonUp, pt, keyState);
    return true;
}

bool UIManagerCore::OnRButtonDown(UIPoint pt, unsigned keyState) {
    lastMouse_ = pt;
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
    CControlUI* control = captured_ ? captured_ : FindControlAt(pt);
    if (!control) return false;
    cursorSet_ = false;
    DispatchMouse(control, UIEventType::SetCursor, pt, 0);
    return cursorSet_;
}

void UIManagerCore::OnSetFocus() {}

void UIManagerCore::OnKillFocus() { Host().ShowToolTip(std::wstring(), UIRect{}); }

void UIManagerCore::OnCaptureLost() {
    if (!captured_) return;
    CControlUI* control = captured_;
    captured_ = nullptr;
    DispatchMouse(control, UIEventType::CaptureLost, lastMouse_, 0);
}

void UIManagerCore::OnTimer(CControlUI* control, unsigned id) {
    // Only controls still in the tree hear their timers.
    if (!root_ || !control) return;
    if (!root_->FindControl([control](CControlUI* c) { return c == control; }, UIFIND_ALL)) return;
    UIEvent event;
    event.type = UIEventType::Timer;
    event.sender = control;
    event.key = id;
    control->DoEvent(event);
}

void UIManagerCore::SetFocus(CControlUI* control) {
    if (control == focus_) return;
    const std::weak_ptr<int> alive = lifeToken_;
    CControlUI* old = focus_;
    focus_ = control;
    if (old) {
        UIEvent event;
        event.type = UIEventType::KillFocus;
        event.sender = old;
        old->DoEvent(event);
        SendNotify(old, L"killfocus");
        if (alive.expired() || focus_ != control) return;  // the receiver moved the focus on
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
    if (!root_) return false;
    std::vector<CControlUI*> stops;
    root_->FindControl([&stops](CControlUI* c) {
        if (c->IsEnabled() && c->IsKeyboardEnabled() &&
            (c->GetInterface(L"Button") || c->GetInterface(L"Edit") || c->GetInterface(L"RichEdit")))
            stops.push_back(c);
        return false;
    }, UIFIND_VISIBLE);
    if (stops.empty()) return false;
    // FindControl visits children before parents; tab stops are leaves, so the order holds.
    size_t next = forward ? 0 : stops.size() - 1;
    for (size_t i = 0; i < stops.size(); ++i) {
        if (stops[i] == focus_) {
            next = forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
            break;
        }
    }
    SetFocus(stops[next]);
    return true;
}
