#include "ui/pure/RichEdit.h"

#include "ui/pure/ManagerCore.h"
#include "ui/pure/ScrollBar.h"
#include "ui/pure/ValueParse.h"

CRichEditUI::CRichEditUI() = default;

std::wstring_view CRichEditUI::GetClass() const { return L"RichEditUI"; }

void* CRichEditUI::GetInterface(std::wstring_view name) {
    if (name == L"RichEdit") return static_cast<CRichEditUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CRichEditUI::SetText(std::wstring_view text) {
    if (m_text == text) return;
    m_text = CUIString(text);
    Invalidate();
    NotifyNativeControl();
}

void CRichEditUI::OnNativeTextChanged(std::wstring_view text) {
    if (m_text == text) return;
    m_text = CUIString(text);
    if (m_manager) m_manager->SendNotify(this, L"textchanged");
}

void CRichEditUI::SetReadOnly(bool readOnly) { m_readOnly = readOnly; NotifyNativeControl(); }

void CRichEditUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    const bool on = ParseBool(value);
    if (name == L"vscrollbar") { m_wantVScroll = on; CContainerUI::SetAttribute(name, value); }
    else if (name == L"hscrollbar") { m_wantHScroll = on; CContainerUI::SetAttribute(name, value); }
    else if (name == L"autovscroll") m_autoVScroll = on;
    else if (name == L"autohscroll") m_autoHScroll = on;
    else if (name == L"multiline") m_multiLine = on;
    else if (name == L"readonly") SetReadOnly(on);
    else if (name == L"rich") m_rich = on;
    else if (name == L"wanttab") m_wantTab = on;
    else if (name == L"wantreturn") m_wantReturn = on;
    else if (name == L"wantctrlreturn") m_wantCtrlReturn = on;
    else if (name == L"transparent") m_transparent = on;
    else if (name == L"maxchar") m_maxChar = ParseInt(value);
    else if (name == L"font") m_font = ParseInt(value);
    else if (name == L"textcolor") m_textColor = ParseColor(value);
    else if (name == L"textpadding") m_textPadding = ParseRect(value);
    else if (name == L"align") {
        if (value == L"left") m_textStyle = (m_textStyle & ~(UI_DT_CENTER | UI_DT_RIGHT)) | UI_DT_LEFT;
        else if (value == L"center") m_textStyle = (m_textStyle & ~(UI_DT_LEFT | UI_DT_RIGHT)) | UI_DT_CENTER;
        else if (value == L"right") m_textStyle = (m_textStyle & ~(UI_DT_LEFT | UI_DT_CENTER)) | UI_DT_RIGHT;
    } else {
        CContainerUI::SetAttribute(name, value);
        return;
    }
    NotifyNativeControl();
}

// The native window fills the control; the scroll bars the markup asks for stand at its
// right and bottom edges (the host sets their range and position from the native window).
void CRichEditUI::SetPos(const UIRect& rect) {
    CControlUI::SetPos(rect);
    const UIRect inner{rect.left, rect.top, rect.right, rect.bottom};
    if (m_vScroll) {
        m_vScroll->SetVisible(m_wantVScroll);
        const int h = (m_hScroll && m_wantHScroll) ? ScrollBarHeight() : 0;
        m_vScroll->SetPos({inner.right - ScrollBarWidth(), inner.top, inner.right, inner.bottom - h});
    }
    if (m_hScroll) {
        m_hScroll->SetVisible(m_wantHScroll);
        const int w = (m_vScroll && m_wantVScroll) ? ScrollBarWidth() : 0;
        m_hScroll->SetPos({inner.left, inner.bottom - ScrollBarHeight(), inner.right - w, inner.bottom});
    }
    NotifyNativeControl();
}

void CRichEditUI::SetVisible(bool visible) { CContainerUI::SetVisible(visible); NotifyNativeControl(); }
void CRichEditUI::SetInternVisible(bool visible) { CContainerUI::SetInternVisible(visible); NotifyNativeControl(); }
void CRichEditUI::SetEnabled(bool enabled) { CContainerUI::SetEnabled(enabled); NotifyNativeControl(); }

void CRichEditUI::DoInit() { NotifyNativeControl(); }
