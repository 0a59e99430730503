#include "ui/pure/Button.h"

#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

std::wstring_view CButtonUI::GetClass() const { return L"ButtonUI"; }

void* CButtonUI::GetInterface(std::wstring_view name) {
    if (name == L"Button") return static_cast<CButtonUI*>(this);
    return CLabelUI::GetInterface(name);
}

void CButtonUI::SetEnabled(bool enabled) {
    if (!enabled) {
        // A disabled button forgets hot, pushed, captured and focus.
        m_buttonState = 0;
        if (m_focused && m_manager) m_manager->SetFocus(nullptr);
    }
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
    else if (name == L"hottextcolor") { m_hotTextColor = ParseColor(value); Invalidate(); }
    else if (name == L"pushedtextcolor") { m_pushedTextColor = ParseColor(value); Invalidate(); }
    else if (name == L"focusedtextcolor") { m_focusedTextColor = ParseColor(value); Invalidate(); }
    else CLabelUI::SetAttribute(name, value);
}

void CButtonUI::DoEvent(const UIEvent& event) {
    const unsigned before = m_buttonState;
    switch (event.type) {
    case UIEventType::KeyDown:
        if (event.key == UI_VK_SPACE || event.key == UI_VK_RETURN) Activate();
        return;
    case UIEventType::ButtonDown:
    case UIEventType::DblClick:
        if (m_rcItem.contains(event.ptMouse) && IsEnabled()) m_buttonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
        break;
    case UIEventType::MouseMove:
        if (m_buttonState & UISTATE_CAPTURED) {
            if (m_rcItem.contains(event.ptMouse)) m_buttonState |= UISTATE_PUSHED;
            else m_buttonState &= ~UISTATE_PUSHED;
        }
        break;
    case UIEventType::ButtonUp:
        if (m_buttonState & UISTATE_CAPTURED) {
            // State first: the click handler may run a nested message loop.
            m_buttonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (m_rcItem.contains(event.ptMouse)) Activate();
            return;
        }
        break;
    case UIEventType::CaptureLost:
        m_buttonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        break;
    case UIEventType::MouseEnter:
        if (IsEnabled()) m_buttonState |= UISTATE_HOT;
        break;
    case UIEventType::MouseLeave:
        m_buttonState &= ~UISTATE_HOT;
        break;
    case UIEventType::SetCursor:
        if (m_manager) m_manager->SetCursorShape(UICursor::Hand);
        return;
    default:
        CLabelUI::DoEvent(event);
        return;
    }
    if (before != m_buttonState) Invalidate();
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    if (m_manager) m_manager->SendNotify(this, L"click");
    return true;
}

UIColor CButtonUI::CurrentTextColor() const {
    if (IsEnabled()) {
        if ((m_buttonState & UISTATE_PUSHED) && m_pushedTextColor != 0) return m_pushedTextColor;
        if ((m_buttonState & UISTATE_HOT) && m_hotTextColor != 0) return m_hotTextColor;
        if (m_focused && m_focusedTextColor != 0) return m_focusedTextColor;
    }
    return CLabelUI::CurrentTextColor();
}

void CButtonUI::PaintStatusImage(IRenderTarget& target) {
    unsigned state = m_buttonState;
    if (!IsEnabled()) state |= UISTATE_DISABLED;
    if (m_focused) state |= UISTATE_FOCUSED;
    if (PaintButtonImage(target, state)) PaintForeImage(target, state);
}

// The first image that applies: disabled, pushed, hot (or the hot colour alone), focused,
// normal; an image that is missing or cannot be drawn falls back to the normal one.
bool CButtonUI::PaintButtonImage(IRenderTarget& target, unsigned state) {
    const CUIString* chosen = nullptr;
    if (state & UISTATE_DISABLED) chosen = &m_disabledImage;
    else if (state & UISTATE_PUSHED) chosen = &m_pushedImage;
    else if (state & UISTATE_HOT) {
        if (m_hotImage.empty() && m_hotBkColor != 0) {
            target.FillRect(m_rcPaint, m_hotBkColor);
            return false;  // the colour alone: no normal image and no fore image
        }
        chosen = &m_hotImage;
    } else if (state & UISTATE_FOCUSED) chosen = &m_focusedImage;
    if (!chosen || chosen->empty() || !DrawImage(target, *chosen)) DrawImage(target, m_normalImage);
    return true;
}

void CButtonUI::PaintForeImage(IRenderTarget& target, unsigned state) {
    if ((state & UISTATE_HOT) && !m_hotForeImage.empty()) DrawImage(target, m_hotForeImage);
    else DrawImage(target, m_foreImage);
}
