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
    if (text_ == text) return;
    text_ = CUIString(text);
    Invalidate();
    NotifyNativeControl();
    RaiseAccessible(UIAccEvent::ValueChange);
}

void CRichEditUI::OnNativeTextChanged(std::wstring_view text) {
    if (text_ == text) return;
    text_ = CUIString(text);
    RaiseAccessible(UIAccEvent::ValueChange);
    if (manager_) manager_->SendNotify(this, L"textchanged");
}

void CRichEditUI::SetReadOnly(bool readOnly) { readOnly_ = readOnly; NotifyNativeControl(); }

void CRichEditUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    const bool on = ParseBool(value);
    if (name == L"vscrollbar") { wantVScroll_ = on; CContainerUI::SetAttribute(name, value); }
    else if (name == L"hscrollbar") { wantHScroll_ = on; CContainerUI::SetAttribute(name, value); }
    else if (name == L"autovscroll") autoVScroll_ = on;
    else if (name == L"autohscroll") autoHScroll_ = on;
    else if (name == L"multiline") multiLine_ = on;
    else if (name == L"readonly") SetReadOnly(on);
    else if (name == L"rich") rich_ = on;
    else if (name == L"wanttab") wantTab_ = on;
    else if (name == L"wantreturn") wantReturn_ = on;
    else if (name == L"wantctrlreturn") wantCtrlReturn_ = on;
    else if (name == L"transparent") transparent_ = on;
    else if (name == L"maxchar") maxChar_ = ParseInt(value);
    else if (name == L"font") font_ = ParseInt(value);
    else if (name == L"textcolor") textColor_ = ParseColor(value);
    else if (name == L"textpadding") textPadding_ = ParseRect(value);
    else if (name == L"align") {
        if (value == L"left") textStyle_ = (textStyle_ & ~(UI_DT_CENTER | UI_DT_RIGHT)) | UI_DT_LEFT;
        else if (value == L"center") textStyle_ = (textStyle_ & ~(UI_DT_LEFT | UI_DT_RIGHT)) | UI_DT_CENTER;
        else if (value == L"right") textStyle_ = (textStyle_ & ~(UI_DT_LEFT | UI_DT_CENTER)) | UI_DT_RIGHT;
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
    if (vScroll_) {
        vScroll_->SetVisible(wantVScroll_);
        const int h = (hScroll_ && wantHScroll_) ? ScrollBarHeight() : 0;
        vScroll_->SetPos({inner.right - ScrollBarWidth(), inner.top, inner.right, inner.bottom - h});
    }
    if (hScroll_) {
        hScroll_->SetVisible(wantHScroll_);
        const int w = (vScroll_ && wantVScroll_) ? ScrollBarWidth() : 0;
        hScroll_->SetPos({inner.left, inner.bottom - ScrollBarHeight(), inner.right - w, inner.bottom});
    }
    NotifyNativeControl();
}

void CRichEditUI::SetVisible(bool visible) { CContainerUI::SetVisible(visible); NotifyNativeControl(); }
void CRichEditUI::SetInternVisible(bool visible) { CContainerUI::SetInternVisible(visible); NotifyNativeControl(); }
void CRichEditUI::SetEnabled(bool enabled) { CContainerUI::SetEnabled(enabled); NotifyNativeControl(); }

void CRichEditUI::DoInit() { NotifyNativeControl(); }
