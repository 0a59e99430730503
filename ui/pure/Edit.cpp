#include "ui/pure/Edit.h"

#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

CEditUI::CEditUI() { textStyle_ = UI_DT_SINGLELINE | UI_DT_VCENTER; }

std::wstring_view CEditUI::GetClass() const { return L"EditUI"; }

void* CEditUI::GetInterface(std::wstring_view name) {
    if (name == L"Edit") return static_cast<CEditUI*>(this);
    return CLabelUI::GetInterface(name);
}

void CEditUI::SetMaxChar(int maxChar) {
    maxChar_ = maxChar;
    if (maxChar_ > 0 && text_.size() > static_cast<size_t>(maxChar_)) SetText(text_);
    NotifyNativeControl();
}

void CEditUI::SetReadOnly(bool readOnly) { readOnly_ = readOnly; NotifyNativeControl(); Invalidate(); }
void CEditUI::SetNumberOnly(bool numberOnly) { numberOnly_ = numberOnly; NotifyNativeControl(); }
void CEditUI::SetPasswordMode(bool password) { password_ = password; NotifyNativeControl(); Invalidate(); }
void CEditUI::SetPasswordChar(wchar_t c) { passwordChar_ = c; NotifyNativeControl(); Invalidate(); }

void CEditUI::SetText(std::wstring_view text) {
    if (maxChar_ > 0 && text.size() > static_cast<size_t>(maxChar_)) text = text.substr(0, static_cast<size_t>(maxChar_));
    CLabelUI::SetText(text);
}

void CEditUI::BeginEdit() {
    if (editing_ || !manager_ || !IsEnabled() || !IsVisible()) return;
    editing_ = true;
    Invalidate();
    manager_->Host().BeginEdit(this);
}

void CEditUI::OnNativeTextChanged(std::wstring_view text) {
    CUIString cut(text.substr(0, maxChar_ > 0 ? static_cast<size_t>(maxChar_) : text.size()));
    if (cut == text_) return;
    text_ = std::move(cut);
    RaiseAccessible(UIAccEvent::ValueChange);
    if (manager_) manager_->SendNotify(this, L"textchanged");
}

// Return in the edit box also presses the window's default button, as in a dialog.
void CEditUI::OnNativeReturn() {
    if (!manager_) return;
    const std::weak_ptr<void> alive = GetLifeToken();
    UIManagerCore* manager = manager_;
    manager->SendNotify(this, L"return");
    if (!alive.expired()) manager->ActivateDefault();
}

void CEditUI::OnNativeEditEnd(std::wstring_view text) {
    editing_ = false;
    Invalidate();
    OnNativeTextChanged(text);
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!enabled) hot_ = false;
}

void CEditUI::SetVisible(bool visible) { CLabelUI::SetVisible(visible); }

void CEditUI::SetPos(const UIRect& rect) { CLabelUI::SetPos(rect); }

void CEditUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"readonly") SetReadOnly(ParseBool(value));
    else if (name == L"numberonly") SetNumberOnly(ParseBool(value));
    else if (name == L"password") SetPasswordMode(ParseBool(value));
    else if (name == L"passwordchar") { if (!value.empty()) SetPasswordChar(value[0]); }
    else if (name == L"maxchar") SetMaxChar(ParseInt(value));
    else if (name == L"normalimage") { normalImage_ = CUIString(value); Invalidate(); }
    else if (name == L"hotimage") { hotImage_ = CUIString(value); Invalidate(); }
    else if (name == L"focusedimage") { focusedImage_ = CUIString(value); Invalidate(); }
    else if (name == L"disabledimage") { disabledImage_ = CUIString(value); Invalidate(); }
    else if (name == L"nativebkcolor") { nativeBkColor_ = ParseColor(value); NotifyNativeControl(); }
    else if (name == L"nativetextcolor") { nativeTextColor_ = ParseColor(value); NotifyNativeControl(); }
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
        if (IsEnabled() && rcItem_.contains(event.ptMouse)) BeginEdit();
        return;
    case UIEventType::MouseEnter:
        if (IsEnabled()) { hot_ = true; Invalidate(); }
        return;
    case UIEventType::MouseLeave:
        hot_ = false;
        Invalidate();
        return;
    case UIEventType::SetCursor:
        if (manager_ && IsEnabled()) manager_->SetCursorShape(UICursor::IBeam);
        return;
    default:
        CLabelUI::DoEvent(event);
    }
}

// In high contrast the whole field is the system's background, as a native edit box's is.
void CEditUI::PaintBkColor(IRenderTarget& target) {
    if (GetPalette().highContrast) target.FillRect(rcPaint_, GetPalette().window);
    else CLabelUI::PaintBkColor(target);
}

void CEditUI::PaintStatusImage(IRenderTarget& target) {
    const CUIString* chosen = nullptr;
    if (!IsEnabled()) chosen = &disabledImage_;
    else if (focused_) chosen = &focusedImage_;
    else if (hot_) chosen = &hotImage_;
    if (!chosen || chosen->empty() || !DrawImage(target, *chosen)) DrawImage(target, normalImage_);
}

CUIString CEditUI::DisplayText() const {
    if (!password_) return text_;
    return CUIString(text_.size(), passwordChar_);
}
