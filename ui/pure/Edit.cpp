#include "ui/pure/Edit.h"

#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

CEditUI::CEditUI() { m_textStyle = UI_DT_SINGLELINE | UI_DT_VCENTER; }

std::wstring_view CEditUI::GetClass() const { return L"EditUI"; }

void* CEditUI::GetInterface(std::wstring_view name) {
    if (name == L"Edit") return static_cast<CEditUI*>(this);
    return CLabelUI::GetInterface(name);
}

void CEditUI::SetMaxChar(int maxChar) {
    m_maxChar = maxChar;
    if (m_maxChar > 0 && m_text.size() > static_cast<size_t>(m_maxChar)) SetText(m_text);
    NotifyNativeControl();
}

void CEditUI::SetReadOnly(bool readOnly) { m_readOnly = readOnly; NotifyNativeControl(); Invalidate(); }
void CEditUI::SetNumberOnly(bool numberOnly) { m_numberOnly = numberOnly; NotifyNativeControl(); }
void CEditUI::SetPasswordMode(bool password) { m_password = password; NotifyNativeControl(); Invalidate(); }
void CEditUI::SetPasswordChar(wchar_t c) { m_passwordChar = c; NotifyNativeControl(); Invalidate(); }

void CEditUI::SetText(std::wstring_view text) {
    if (m_maxChar > 0 && text.size() > static_cast<size_t>(m_maxChar)) text = text.substr(0, static_cast<size_t>(m_maxChar));
    CLabelUI::SetText(text);
}

void CEditUI::BeginEdit() {
    if (m_editing || !m_manager || !IsEnabled() || !IsVisible()) return;
    m_editing = true;
    Invalidate();
    m_manager->Host().BeginEdit(this);
}

void CEditUI::OnNativeTextChanged(std::wstring_view text) {
    CUIString cut(text.substr(0, m_maxChar > 0 ? static_cast<size_t>(m_maxChar) : text.size()));
    if (cut == m_text) return;
    m_text = std::move(cut);
    if (m_manager) m_manager->SendNotify(this, L"textchanged");
}

void CEditUI::OnNativeReturn() {
    if (m_manager) m_manager->SendNotify(this, L"return");
}

void CEditUI::OnNativeEditEnd(std::wstring_view text) {
    m_editing = false;
    Invalidate();
    OnNativeTextChanged(text);
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!enabled) m_hot = false;
}

void CEditUI::SetVisible(bool visible) { CLabelUI::SetVisible(visible); }

void CEditUI::SetPos(const UIRect& rect) { CLabelUI::SetPos(rect); }

void CEditUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"readonly") SetReadOnly(ParseBool(value));
    else if (name == L"numberonly") SetNumberOnly(ParseBool(value));
    else if (name == L"password") SetPasswordMode(ParseBool(value));
    else if (name == L"passwordchar") { if (!value.empty()) SetPasswordChar(value[0]); }
    else if (name == L"maxchar") SetMaxChar(ParseInt(value));
    else if (name == L"normalimage") { m_normalImage = CUIString(value); Invalidate(); }
    else if (name == L"hotimage") { m_hotImage = CUIString(value); Invalidate(); }
    else if (name == L"focusedimage") { m_focusedImage = CUIString(value); Invalidate(); }
    else if (name == L"disabledimage") { m_disabledImage = CUIString(value); Invalidate(); }
    else if (name == L"nativebkcolor") { m_nativeBkColor = ParseColor(value); NotifyNativeControl(); }
    else if (name == L"nativetextcolor") { m_nativeTextColor = ParseColor(value); NotifyNativeControl(); }
    else CLabelUI::SetAttribute(name, value);
}

void CEditUI::DoEvent(const UIEvent& event) {
    switch (event.type) {
    case UIEventType::SetFocus:
        CLabelUI::DoEvent(event);
        BeginEdit();
        return;
    case UIEventType::ButtonDown:
    case UIEventType::DblClick:
        if (IsEnabled() && m_rcItem.contains(event.ptMouse)) BeginEdit();
        return;
    case UIEventType::MouseEnter:
        if (IsEnabled()) { m_hot = true; Invalidate(); }
        return;
    case UIEventType::MouseLeave:
        m_hot = false;
        Invalidate();
        return;
    case UIEventType::SetCursor:
        if (m_manager && IsEnabled()) m_manager->SetCursorShape(UICursor::IBeam);
        return;
    default:
        CLabelUI::DoEvent(event);
    }
}

void CEditUI::PaintStatusImage(IRenderTarget& target) {
    const CUIString* chosen = nullptr;
    if (!IsEnabled()) chosen = &m_disabledImage;
    else if (m_focused) chosen = &m_focusedImage;
    else if (m_hot) chosen = &m_hotImage;
    if (!chosen || chosen->empty() || !DrawImage(target, *chosen)) DrawImage(target, m_normalImage);
}

CUIString CEditUI::DisplayText() const {
    if (!m_password) return m_text;
    return CUIString(m_text.size(), m_passwordChar);
}
