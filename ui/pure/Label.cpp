#include "ui/pure/Label.h"

#include "ui/pure/ManagerCore.h"
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

void CLabelUI::DrawLabelText(IRenderTarget& target, UIColor color) {
    const CUIString text = DisplayText();
    if (text.empty()) return;
    const UIRect rc{m_rcItem.left + m_textPadding.left, m_rcItem.top + m_textPadding.top,
                    m_rcItem.right - m_textPadding.right, m_rcItem.bottom - m_textPadding.bottom};
    target.DrawText(rc, text, m_font, color, m_textStyle);
}

void CLabelUI::PaintText(IRenderTarget& target) { DrawLabelText(target, CurrentTextColor()); }

std::wstring_view CTextUI::GetClass() const { return L"TextUI"; }

void* CTextUI::GetInterface(std::wstring_view name) {
    if (name == L"Text") return static_cast<CTextUI*>(this);
    return CLabelUI::GetInterface(name);
}
