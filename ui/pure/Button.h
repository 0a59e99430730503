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

    unsigned GetButtonState() const noexcept { return buttonState_; }
    bool IsHot() const noexcept { return (buttonState_ & UISTATE_HOT) != 0; }
    bool IsPushed() const noexcept { return (buttonState_ & UISTATE_PUSHED) != 0; }
    bool IsCaptured() const noexcept { return (buttonState_ & UISTATE_CAPTURED) != 0; }

    const CUIString& GetNormalImage() const noexcept { return normalImage_; }
    void SetNormalImage(std::wstring_view d) { normalImage_ = CUIString(d); Invalidate(); }
    const CUIString& GetHotImage() const noexcept { return hotImage_; }
    void SetHotImage(std::wstring_view d) { hotImage_ = CUIString(d); Invalidate(); }
    const CUIString& GetPushedImage() const noexcept { return pushedImage_; }
    void SetPushedImage(std::wstring_view d) { pushedImage_ = CUIString(d); Invalidate(); }
    const CUIString& GetFocusedImage() const noexcept { return focusedImage_; }
    void SetFocusedImage(std::wstring_view d) { focusedImage_ = CUIString(d); Invalidate(); }
    const CUIString& GetDisabledImage() const noexcept { return disabledImage_; }
    void SetDisabledImage(std::wstring_view d) { disabledImage_ = CUIString(d); Invalidate(); }
    const CUIString& GetForeImage() const noexcept { return foreImage_; }
    void SetForeImage(std::wstring_view d) { foreImage_ = CUIString(d); Invalidate(); }
    const CUIString& GetHotForeImage() const noexcept { return hotForeImage_; }
    void SetHotForeImage(std::wstring_view d) { hotForeImage_ = CUIString(d); Invalidate(); }
    UIColor GetHotBkColor() const noexcept { return hotBkColor_; }
    void SetHotBkColor(UIColor c) { hotBkColor_ = c; Invalidate(); }

    void SetEnabled(bool enabled = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void DoEvent(const UIEvent& event) override;
    bool Activate() override;
    void PaintStatusImage(IRenderTarget& target) override;

protected:
    UIRole DefaultRole() const override { return UIRole::PushButton; }
    UIColor CurrentTextColor() const override;
    // Draws the image for `state` by the button rules; false when the hot colour alone
    // was drawn (nothing may follow it).
    bool PaintButtonImage(IRenderTarget& target, unsigned state);
    void PaintForeImage(IRenderTarget& target, unsigned state);

    unsigned buttonState_ = 0;
    UIColor hotBkColor_ = 0, hotTextColor_ = 0, pushedTextColor_ = 0, focusedTextColor_ = 0;
    CUIString normalImage_, hotImage_, pushedImage_, focusedImage_, disabledImage_;
    CUIString foreImage_, hotForeImage_;
};
