#pragma once
// Text in a rectangle: font index, colours, padding and alignment. Text wider than the
// rectangle is broken into lines (ui/pure/TextLines.h) unless the label is single-line.
#include <vector>
#include "ui/pure/Control.h"
#include "ui/pure/TextLines.h"

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    int GetFont() const noexcept { return font_; }   // -1: the window's default font
    void SetFont(int index);
    UIColor GetTextColor() const noexcept { return textColor_; }
    void SetTextColor(UIColor color);
    UIColor GetDisabledTextColor() const noexcept { return disabledTextColor_; }
    void SetDisabledTextColor(UIColor color);
    const UIRect& GetTextPadding() const noexcept { return textPadding_; }
    void SetTextPadding(const UIRect& padding);
    unsigned GetTextStyle() const noexcept { return textStyle_; }  // UI_DT_* bits
    void SetTextStyle(unsigned style);

    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void PaintText(IRenderTarget& target) override;

    // Where the text goes: the control less its text padding, in device pixels.
    UIRect TextRect() const;
    // The lines `text` is drawn in when it does not fit on one line, measured with the
    // target's font for this label.
    std::vector<UITextLine> LayoutLines(IRenderTarget& target, std::wstring_view text) const;
    // The box the drawn text covers (with a small margin), within the control.
    UIRect InkRect(IRenderTarget& target, std::wstring_view text) const;

protected:
    UIRole DefaultRole() const override { return UIRole::StaticText; }
    // The text that is drawn (edits mask it in password mode).
    virtual CUIString DisplayText() const { return GetText(); }
    // Text colour for the current state; 0 falls back to the window's colours.
    virtual UIColor CurrentTextColor() const;
    void DrawLabelText(IRenderTarget& target, UIColor color);

    int font_ = -1;
    UIColor textColor_ = 0, disabledTextColor_ = 0;
    UIRect textPadding_;
    unsigned textStyle_ = UI_DT_VCENTER;
};

// A label that is told apart by class (the caption hit test treats it as interactive).
class CTextUI : public CLabelUI {
public:
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;
};
