#pragma once
// A clickable label: hot/pushed/captured/focused state, "click" on activation, and one
// image per state.
#include "ui/pure/Label.h"

// Button state bits.
enum : unsigned {
    UISTATE_FOCUSED = 0x01, UISTATE_SELECTED = 0x02, UISTATE_DISABLED = 0x04,
    UISTATE_HOT = 0x08, UISTATE_PUSHED = 0x10, UISTATE_CAPTURED = 0x40,
};

class CButtonUI : public CLabelUI {
public:
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    unsigned GetButtonState() const noexcept { return m_buttonState; }
    bool IsHot() const noexcept { return (m_buttonState & UISTATE_HOT) != 0; }
    bool IsPushed() const noexcept { return (m_buttonState & UISTATE_PUSHED) != 0; }
    bool IsCaptured() const noexcept { return (m_buttonState & UISTATE_CAPTURED) != 0; }

    const CUIString& GetNormalImage() const noexcept { return m_normalImage; }
    void SetNormalImage(std::wstring_view d) { m_normalImage = CUIString(d); Invalidate(); }
    const CUIString& GetHotImage() const noexcept { return m_hotImage; }
    void SetHotImage(std::wstring_view d) { m_hotImage = CUIString(d); Invalidate(); }
    const CUIString& GetPushedImage() const noexcept { return m_pushedImage; }
    void SetPushedImage(std::wstring_view d) { m_pushedImage = CUIString(d); Invalidate(); }
    const CUIString& GetFocusedImage() const noexcept { return m_focusedImage; }
    void SetFocusedImage(std::wstring_view d) { m_focusedImage = CUIString(d); Invalidate(); }
    const CUIString& GetDisabledImage() const noexcept { return m_disabledImage; }
    void SetDisabledImage(std::wstring_view d) { m_disabledImage = CUIString(d); Invalidate(); }
    const CUIString& GetForeImage() const noexcept { return m_foreImage; }
    void SetForeImage(std::wstring_view d) { m_foreImage = CUIString(d); Invalidate(); }
    const CUIString& GetHotForeImage() const noexcept { return m_hotForeImage; }
    void SetHotForeImage(std::wstring_view d) { m_hotForeImage = CUIString(d); Invalidate(); }
    UIColor GetHotBkColor() const noexcept { return m_hotBkColor; }
    void SetHotBkColor(UIColor c) { m_hotBkColor = c; Invalidate(); }

    void SetEnabled(bool enabled = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void DoEvent(const UIEvent& event) override;
    bool Activate() override;
    void PaintStatusImage(IRenderTarget& target) override;

protected:
    UIColor CurrentTextColor() const override;
    // Draws the image for `state` by the button rules; false when the hot colour alone
    // was drawn (nothing may follow it).
    bool PaintButtonImage(IRenderTarget& target, unsigned state);
    void PaintForeImage(IRenderTarget& target, unsigned state);

    unsigned m_buttonState = 0;
    UIColor m_hotBkColor = 0, m_hotTextColor = 0, m_pushedTextColor = 0, m_focusedTextColor = 0;
    CUIString m_normalImage, m_hotImage, m_pushedImage, m_focusedImage, m_disabledImage;
    CUIString m_foreImage, m_hotForeImage;
};
