#include "ui/pure/Label.h"

#include "ui/pure/ManagerCore.h"
#include "ui/pure/TextLines.h"
#include "ui/pure/ValueParse.h"

CLabelUI::CLabelUI() = default;

std::wstring_view CLabelUI::GetClass() const { return L"LabelUI"; }

void* CLabelUI::GetInterface(std::wstring_view name) {
    if (name == L"Label") return static_cast<CLabelUI*>(this);
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetFont(int index) { m_font = index; Invalidate(); }
void CLabelUI::SetTextColor(UIColor color) { m_textColor = color; Invalidate(); }
void CLabelUI::SetDisabledTextColor(UIColor color) { m_disabledTextColor = color; Invalidate(); }
void CLabelUI::SetTextPadding(const UIRect& padding) { m_textPadding = UIClampRect(padding); Invalidate(); }
void CLabelUI::SetTextStyle(unsigned style) { m_textStyle = style; Invalidate(); }

void CLabelUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"align" || name == L"valign") {
        unsigned style = m_textStyle;
        if (value == L"left") style = (style & ~(UI_DT_CENTER | UI_DT_RIGHT)) | UI_DT_LEFT;
        else if (value == L"center") style = (style & ~(UI_DT_LEFT | UI_DT_RIGHT)) | UI_DT_CENTER;
        else if (value == L"right") style = (style & ~(UI_DT_LEFT | UI_DT_CENTER)) | UI_DT_RIGHT;
        else if (value == L"top") style = (style & ~(UI_DT_BOTTOM | UI_DT_VCENTER)) | UI_DT_TOP;
        else if (value == L"vcenter") style = (style & ~(UI_DT_TOP | UI_DT_BOTTOM)) | UI_DT_VCENTER;
        else if (value == L"bottom") style = (style & ~(UI_DT_TOP | UI_DT_VCENTER)) | UI_DT_BOTTOM;
        SetTextStyle(style);
    } else if (name == L"endellipsis") {
        SetTextStyle(ParseBool(value) ? (m_textStyle | UI_DT_END_ELLIPSIS) : (m_textStyle & ~UI_DT_END_ELLIPSIS));
    } else if (name == L"singleline") {
        SetTextStyle(ParseBool(value) ? (m_textStyle | UI_DT_SINGLELINE) : (m_textStyle & ~UI_DT_SINGLELINE));
    } else if (name == L"wordbreak") {
        SetTextStyle(ParseBool(value) ? (m_textStyle | UI_DT_WORDBREAK) : (m_textStyle & ~UI_DT_WORDBREAK));
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
        if (m_disabledTextColor != 0) return m_disabledTextColor;
        return m_manager ? m_manager->GetWindowAttributes().disabledFontColor : UIWindowAttributes{}.disabledFontColor;
    }
    if (m_textColor != 0) return m_textColor;
    return m_manager ? m_manager->GetWindowAttributes().defaultFontColor : UIWindowAttributes{}.defaultFontColor;
}

UIRect CLabelUI::TextRect() const {
    const UIRect pad = GetScale().Px(m_textPadding);
    return {m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
}

std::vector<UITextLine> CLabelUI::LayoutLines(IRenderTarget& target, std::wstring_view text) const {
    const int font = m_font;
    const UITextMeasure measure = [&target, font](std::wstring_view piece) {
        return target.MeasureText(std::wstring(piece), font).cx;
    };
    const UIRect rc = TextRect();
    const int lineHeight = target.MeasureText(std::wstring(text.substr(0, 1)), font).cy;
    return LayoutTextLines(text, rc, m_textStyle, lineHeight, measure);
}

// Text that fits on one line is drawn as it is; longer text is broken into lines here
// (between Chinese characters, as the system does), unless the label is single-line or
// ends in an ellipsis.
void CLabelUI::DrawLabelText(IRenderTarget& target, UIColor color) {
    const CUIString text = DisplayText();
    if (text.empty()) return;
    const UIRect rc = TextRect();
    const bool oneLine = (m_textStyle & (UI_DT_SINGLELINE | UI_DT_END_ELLIPSIS)) != 0 ||
                         (text.find(L'\n') == CUIString::npos && target.MeasureText(text, m_font).cx <= rc.width());
    if (oneLine) {
        target.DrawText(rc, text, m_font, color, m_textStyle);
        return;
    }
    const unsigned lineStyle = (m_textStyle & (UI_DT_CENTER | UI_DT_RIGHT)) | UI_DT_SINGLELINE | UI_DT_TOP;
    for (const UITextLine& line : LayoutLines(target, text))
        if (!line.text.empty()) target.DrawText(line.rect, std::wstring(line.text), m_font, color, lineStyle);
}

void CLabelUI::PaintText(IRenderTarget& target) { DrawLabelText(target, CurrentTextColor()); }

std::wstring_view CTextUI::GetClass() const { return L"TextUI"; }

void* CTextUI::GetInterface(std::wstring_view name) {
    if (name == L"Text") return static_cast<CTextUI*>(this);
    return CLabelUI::GetInterface(name);
}
