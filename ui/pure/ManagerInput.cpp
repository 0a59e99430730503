// Mouse and keyboard dispatch of the manager core: which control hears an event, the
// keyboard focus and its ring, the default and cancel buttons.
#include <algorithm>
#include <vector>
#include "ui/pure/Control.h"
#include "ui/pure/ManagerCore.h"

namespace {
// Return presses these when they have the focus (editable text sends it on to the default
// button, as a dialog's edit box does).
bool ReturnPresses(const CControlUI& control) {
    const UIRole role = control.GetRole();
    return IsActingRole(role) && role != UIRole::EditableText;
}
}  // namespace

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
    ShowFocusCues();
    const bool repeat = (keyState & UI_KEY_REPEAT) != 0;
    switch (vkey) {
    case UI_VK_TAB:
        return SetNextTabControl((keyState & UI_MK_SHIFT) == 0);
    case UI_VK_RETURN:
        if (repeat) return true;
        if (focus_ && ReturnPresses(*focus_)) return DispatchKey(UIEventType::KeyDown, vkey, keyState);
        return ActivateDefault();
    case UI_VK_ESCAPE:
        return repeat || ActivateCancel();
    case UI_VK_SPACE:
        return repeat || DispatchKey(UIEventType::KeyDown, vkey, keyState);
    default:
        return DispatchKey(UIEventType::KeyDown, vkey, keyState);
    }
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

// The window took the keyboard: assistive technology hears which control has it.
void UIManagerCore::OnSetFocus() {
    if (focus_) AccessibleEvent(UIAccEvent::Focus, focus_);
}

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
        InvalidateFocusRing(old);
        UIEvent event;
        event.type = UIEventType::KillFocus;
        event.sender = old;
        old->DoEvent(event);
        SendNotify(old, L"killfocus");
        if (alive.expired() || focus_ != control) return;  // the receiver moved the focus on
    }
    if (control) {
        refocusPending_ = false;
        InvalidateFocusRing(control);
        UIEvent event;
        event.type = UIEventType::SetFocus;
        event.sender = control;
        control->DoEvent(event);
        SendNotify(control, L"setfocus");
        if (alive.expired() || focus_ != control) return;
    }
    Host().FocusChanged(control);
    AccessibleEvent(UIAccEvent::Focus, control);
}

void UIManagerCore::FocusedControlGone(CControlUI* control) {
    if (control != focus_) return;
    SetFocus(nullptr);
    refocusPending_ = true;
    NeedUpdate();
}

void UIManagerCore::ShowFocusCues() {
    if (focusCues_) return;
    focusCues_ = true;
    InvalidateFocusRing(focus_);
}

int UIManagerCore::FocusRingWidth() const noexcept { return scale_.Line(2) + scale_.Line(1); }

UIRect UIManagerCore::FocusRingRect(const CControlUI& control) const {
    const UIRect& r = control.GetPos();
    const int w = FocusRingWidth();
    UIRect ring{r.left - w, r.top - w, r.right + w, r.bottom + w};
    const UIRect client = Host().GetClientRect();
    return client.empty() ? ring : UIIntersect(ring, client);
}

void UIManagerCore::InvalidateFocusRing(const CControlUI* control) {
    if (focusCues_ && control && !control->GetPos().empty()) Invalidate(FocusRingRect(*control));
}

void UIManagerCore::PaintFocusRing(IRenderTarget& target) {
    if (!focusCues_ || !focus_ || !focus_->IsVisible() || focus_->GetPos().empty()) return;
    const UIRect ring = FocusRingRect(*focus_);
    if (ring.empty()) return;
    const int outer = scale_.Line(2);
    target.DrawBorder(ring, outer, palette_.FocusOuter(window_.focusColor), {});
    const UIRect inner{ring.left + outer, ring.top + outer, ring.right - outer, ring.bottom - outer};
    if (!inner.empty()) target.DrawBorder(inner, scale_.Line(1), palette_.FocusInner(), {});
}

CControlUI* UIManagerCore::FindButton(bool (CControlUI::*marked)() const noexcept) const {
    if (!root_) return nullptr;
    return root_->FindControl([marked](CControlUI* c) { return (c->*marked)() && c->IsEnabled(); }, UIFIND_VISIBLE);
}

CControlUI* UIManagerCore::GetDefaultButton() const { return FindButton(&CControlUI::IsDefaultButton); }
CControlUI* UIManagerCore::GetCancelButton() const { return FindButton(&CControlUI::IsCancelButton); }

bool UIManagerCore::ActivateDefault() {
    CControlUI* button = GetDefaultButton();
    return button && button->Activate();
}

bool UIManagerCore::ActivateCancel() {
    CControlUI* button = GetCancelButton();
    return button && button->Activate();
}

bool UIManagerCore::SetNextTabControl(bool forward) {
    if (!root_) return false;
    std::vector<CControlUI*> stops;
    root_->FindControl([&stops](CControlUI* c) {
        if (IsTabStop(*c)) stops.push_back(c);
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
