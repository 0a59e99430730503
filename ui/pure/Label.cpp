#include "ui/pure/Label.h"

#include <algorithm>
#include "ui/pure/ManagerCore.h"
#include "ui/pure/TextLines.h"
#include "ui/pure/ValueParse.h"

CLabelUI::CLabelUI() = default;

std::wstring_view CLabelUI::GetClass() const { return L"LabelUI"; }

void* CLabelUI::GetInterface(std::wstring_view name) {
    if (name == L"Label") return static_cast<CLabelUI*>(this);
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetFont(int index) { font_ = index; Invalidate(); }
void CLabelUI::SetTextColor(UIColor color) { textColor_ = color; Invalidate(); }
void CLabelUI::SetDisabledTextColor(UIColor color) { disabledTextColor_ = color; Invalidate(); }
void CLabelUI::SetTextPadding(const UIRect& padding) { textPadding_ = UIClampRect(padding); Invalidate(); }
void CLabelUI::SetTextStyle(unsigned style) { textStyle_ = style; Invalidate(); }

void CLabelUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"align" || name == L"valign") {
        unsigned style = textStyle_;
        if (value == L"left") style = (style & ~(UI_DT_CENTER | UI_DT_RIGHT)) | UI_DT_LEFT;
        else if (value == L"center") style = (style & ~(UI_DT_LEFT | UI_DT_RIGHT)) | UI_DT_CENTER;
        else if (value == L"right") style = (style & ~(UI_DT_LEFT | UI_DT_CENTER)) | UI_DT_RIGHT;
        else if (value == L"top") style = (style & ~(UI_DT_BOTTOM | UI_DT_VCENTER)) | UI_DT_TOP;
        else if (value == L"vcenter") style = (style & ~(UI_DT_TOP | UI_DT_BOTTOM)) | UI_DT_VCENTER;
        else if (value == L"bottom") style = (style & ~(UI_DT_TOP | UI_DT_VCENTER)) | UI_DT_BOTTOM;
        SetTextStyle(style);
    } else if (name == L"endellipsis") {
        SetTextStyle(ParseBool(value) ? (textStyle_ | UI_DT_END_ELLIPSIS) : (textStyle_ & ~UI_DT_END_ELLIPSIS));
    } else if (name == L"singleline") {
        SetTextStyle(ParseBool(value) ? (textStyle_ | UI_DT_SINGLELINE) : (textStyle_ & ~UI_DT_SINGLELINE));
    } else if (name == L"wordbreak") {
        SetTextStyle(ParseBool(value) ? (textStyle_ | UI_DT_WORDBREAK) : (textStyle_ & ~UI_DT_WORDBREAK));
    } else if (name == L"font") {
        SetFont(ParseInt(value));
    } else if (name == L"textcolor") {
        SetTextColor(ParseColor(value));
    } else if (name == L"disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (name == L"textpadding") {
        SetTextPadding(ParseRect(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

UIColor CLabelUI::CurrentTextColor() const {
    if (!IsEnabled()) {
        if (disabledTextColor_ != 0) return disabledTextColor_;
        return manager_ ? manager_->GetWindowAttributes().disabledFontColor : UIWindowAttributes{}.disabledFontColor;
    }
    if (textColor_ != 0) return textColor_;
    return manager_ ? manager_->GetWindowAttributes().defaultFontColor : UIWindowAttributes{}.defaultFontColor;
}

UIRect CLabelUI::TextRect() const {
    const UIRect pad = GetScale().Px(textPadding_);
    return {rcItem_.left + pad.left, rcItem_.top + pad.top, rcItem_.right - pad.right, rcItem_.bottom - pad.bottom};
}

std::vector<UITextLine> CLabelUI::LayoutLines(IRenderTarget& target, std::wstring_view text) const {
    const int font = font_;
    const UITextMeasure measure = [&target, font](std::wstring_view piece) {
        return target.MeasureText(std::wstring(piece), font).cx;
    };
    const UIRect rc = TextRect();
    const int lineHeight = target.MeasureText(std::wstring(text.substr(0, 1)), font).cy;
    return LayoutTextLines(text, rc, textStyle_, lineHeight, measure);
}

// Where the text's lines are drawn, with a margin, within the control: the box that a
// background behind the text itself has to cover.
UIRect CLabelUI::InkRect(IRenderTarget& target, std::wstring_view text) const {
    const UIRect rc = TextRect();
    const UISize size = target.MeasureText(std::wstring(text), font_);
    std::vector<UITextLine> lines;
    if ((textStyle_ & (UI_DT_SINGLELINE | UI_DT_END_ELLIPSIS)) != 0 ||
        (text.find(L'\n') == std::wstring_view::npos && size.cx <= rc.width())) {
        int top = rc.top;
        if (textStyle_ & UI_DT_BOTTOM) top = rc.bottom - size.cy;
        else if (textStyle_ & UI_DT_VCENTER) top = rc.top + (rc.height() - size.cy) / 2;
        lines.push_back({text, UIRect{rc.left, top, rc.right, top + size.cy}});
    } else {
        lines = LayoutLines(target, text);
    }
    UIRect ink{rc.right, rc.bottom, rc.left, rc.top};
    for (const UITextLine& line : lines) {
        const int width = std::min(line.rect.width(), target.MeasureText(std::wstring(line.text), font_).cx);
        int left = line.rect.left;
        if (textStyle_ & UI_DT_RIGHT) left = line.rect.right - width;
        else if (textStyle_ & UI_DT_CENTER) left = line.rect.left + (line.rect.width() - width) / 2;
        ink = {std::min(ink.left, left), std::min(ink.top, line.rect.top), std::max(ink.right, left + width),
               std::max(ink.bottom, line.rect.bottom)};
    }
    const int margin = GetScale().Line(2);
    return UIIntersect({ink.left - margin, ink.top - margin, ink.right + margin, ink.bottom + margin}, rcItem_);
}

// Text that fits on one line is drawn as it is; longer text is broken into lines here
// (between Chinese characters, as the system does), unless the label is single-line or
// ends in an ellipsis.
void CLabelUI::DrawLabelText(IRenderTarget& target, UIColor color) {
    const CUIString text = DisplayText();
    if (text.empty()) return;
    const UIRect rc = TextRect();
    const bool oneLine = (textStyle_ & (UI_DT_SINGLELINE | UI_DT_END_ELLIPSIS)) != 0 ||
                         (text.find(L'\n') == CUIString::npos && target.MeasureText(text, font_).cx <= rc.width());
    if (oneLine) {
        target.DrawText(rc, text, font_, color, textStyle_);
        return;
    }
    const unsigned lineStyle = (textStyle_ & (UI_DT_CENTER | UI_DT_RIGHT)) | UI_DT_SINGLELINE | UI_DT_TOP;
    for (const UITextLine& line : LayoutLines(target, text))
        if (!line.text.empty()) target.DrawText(line.rect, std::wstring(line.text), font_, color, lineStyle);
}

void CLabelUI::PaintText(IRenderTarget& target) {
    const UIPalette& palette = GetPalette();
    if (!palette.highContrast) {
        DrawLabelText(target, CurrentTextColor());
        return;
    }
    // In high contrast text stands on the system's background, whatever image lies behind
    // it, in the system's text colour (grey when disabled, the link colour for links).
    const CUIString text = DisplayText();
    if (text.empty()) return;
    const UIRect behind = UIIntersect(InkRect(target, text), rcPaint_);
    if (!behind.empty()) target.FillRect(behind, palette.window);
    const UIColor skin = CurrentTextColor();
    DrawLabelText(target, !IsEnabled()                 ? palette.DisabledText(skin)
                          : GetRole() == UIRole::Link ? palette.LinkText(skin)
                                                      : palette.Text(skin));
}

std::wstring_view CTextUI::GetClass() const { return L"TextUI"; }

void* CTextUI::GetInterface(std::wstring_view name) {
    if (name == L"Text") return static_cast<CTextUI*>(this);
    return CLabelUI::GetInterface(name);
}
