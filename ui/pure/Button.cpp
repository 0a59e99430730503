#include "ui/pure/Button.h"

#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

std::wstring_view CButtonUI::GetClass() const { return L"ButtonUI"; }

void* CButtonUI::GetInterface(std::wstring_view name) {
    if (name == L"Button") return static_cast<CButtonUI*>(this);
    return CLabelUI::GetInterface(name);
}

void CButtonUI::SetEnabled(bool enabled) {
    // A disabled button forgets hot, pushed and captured (and, as every control, focus).
    if (!enabled) buttonState_ = 0;
    CLabelUI::SetEnabled(enabled);
}

void CButtonUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"normalimage") SetNormalImage(value);
    else if (name == L"hotimage") SetHotImage(value);
    else if (name == L"pushedimage") SetPushedImage(value);
    else if (name == L"focusedimage") SetFocusedImage(value);
    else if (name == L"disabledimage") SetDisabledImage(value);
    else if (name == L"foreimage") SetForeImage(value);
    else if (name == L"hotforeimage") SetHotForeImage(value);
    else if (name == L"hotbkcolor") SetHotBkColor(ParseColor(value));
    else if (name == L"hottextcolor") { hotTextColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"pushedtextcolor") { pushedTextColor_ = ParseColor(value); Invalidate(); }
    else if (name == L"focusedtextcolor") { focusedTextColor_ = ParseColor(value); Invalidate(); }
    else CLabelUI::SetAttribute(name, value);
}

void CButtonUI::DoEvent(const UIEvent& event) {
    const unsigned before = buttonState_;
    switch (event.type) {
    case UIEventType::KeyDown:
        if (event.key == UI_VK_SPACE || event.key == UI_VK_RETURN) Activate();
        return;
    case UIEventType::ButtonDown:
    case UIEventType::DblClick:
        if (rcItem_.contains(event.ptMouse) && IsEnabled()) buttonState_ |= UISTATE_PUSHED | UISTATE_CAPTURED;
        break;
    case UIEventType::MouseMove:
        if (buttonState_ & UISTATE_CAPTURED) {
            if (rcItem_.contains(event.ptMouse)) buttonState_ |= UISTATE_PUSHED;
            else buttonState_ &= ~UISTATE_PUSHED;
        }
        break;
    case UIEventType::ButtonUp:
        if (buttonState_ & UISTATE_CAPTURED) {
            // State first: the click handler may run a nested message loop.
            buttonState_ &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (rcItem_.contains(event.ptMouse)) Activate();
            return;
        }
        break;
    case UIEventType::CaptureLost:
        buttonState_ &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        break;
    case UIEventType::MouseEnter:
        if (IsEnabled()) buttonState_ |= UISTATE_HOT;
        break;
    case UIEventType::MouseLeave:
        buttonState_ &= ~UISTATE_HOT;
        break;
    case UIEventType::SetCursor:
        if (manager_) manager_->SetCursorShape(UICursor::Hand);
        return;
    default:
        CLabelUI::DoEvent(event);
        return;
    }
    if (before != buttonState_) Invalidate();
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    if (manager_) manager_->SendNotify(this, L"click");
    return true;
}

UIColor CButtonUI::CurrentTextColor() const {
    if (IsEnabled()) {
        if ((buttonState_ & UISTATE_PUSHED) && pushedTextColor_ != 0) return pushedTextColor_;
        if ((buttonState_ & UISTATE_HOT) && hotTextColor_ != 0) return hotTextColor_;
        if (focused_ && focusedTextColor_ != 0) return focusedTextColor_;
    }
    return CLabelUI::CurrentTextColor();
}

void CButtonUI::PaintStatusImage(IRenderTarget& target) {
    unsigned state = buttonState_;
    if (!IsEnabled()) state |= UISTATE_DISABLED;
    if (focused_) state |= UISTATE_FOCUSED;
    if (PaintButtonImage(target, state)) PaintForeImage(target, state);
}

// The first image that applies: disabled, pushed, hot (or the hot colour alone), focused,
// normal; an image that is missing or cannot be drawn falls back to the normal one.
bool CButtonUI::PaintButtonImage(IRenderTarget& target, unsigned state) {
    const CUIString* chosen = nullptr;
    if (state & UISTATE_DISABLED) chosen = &disabledImage_;
    else if (state & UISTATE_PUSHED) chosen = &pushedImage_;
    else if (state & UISTATE_HOT) {
        if (hotImage_.empty() && hotBkColor_ != 0) {
            target.FillRect(rcPaint_, hotBkColor_);
            return false;  // the colour alone: no normal image and no fore image
        }
        chosen = &hotImage_;
    } else if (state & UISTATE_FOCUSED) chosen = &focusedImage_;
    if (!chosen || chosen->empty() || !DrawImage(target, *chosen)) DrawImage(target, normalImage_);
    return true;
}

void CButtonUI::PaintForeImage(IRenderTarget& target, unsigned state) {
    if ((state & UISTATE_HOT) && !hotForeImage_.empty()) DrawImage(target, hotForeImage_);
    else DrawImage(target, foreImage_);
}
