#include "ui/pure/Control.h"

#include <algorithm>
#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (manager_) manager_->ControlDestroyed(this);
}

std::wstring_view CControlUI::GetClass() const { return L"ControlUI"; }

void* CControlUI::GetInterface(std::wstring_view name) {
    return name == L"Control" ? this : nullptr;
}

void CControlUI::SetName(std::wstring_view name) {
    if (name_ == name) return;
    const CUIString old = name_;
    name_ = CUIString(name);
    if (manager_) manager_->RenameControl(this, old);
}

void CControlUI::SetText(std::wstring_view text) {
    if (text_ == text) return;
    text_ = CUIString(text);
    Invalidate();
    NotifyNativeControl();
    RaiseTextChanged();
}

CUIString CControlUI::GetAccessibleName() const {
    if (!accName_.empty()) return accName_;
    switch (GetRole()) {
    case UIRole::StaticText:
    case UIRole::PushButton:
    case UIRole::CheckButton:
    case UIRole::RadioButton:
    case UIRole::Link: {
        CUIString text = GetText();
        if (!text.empty()) return text;
        break;
    }
    default:
        break;
    }
    return toolTip_;
}

void CControlUI::SetAccessibleName(std::wstring_view name) {
    if (accName_ == name) return;
    accName_ = CUIString(name);
    RaiseAccessible(UIAccEvent::NameChange);
}

void CControlUI::RaiseAccessible(UIAccEvent event) {
    if (manager_) manager_->AccessibleEvent(event, this);
}

void CControlUI::RaiseTextChanged() {
    RaiseAccessible(GetRole() == UIRole::EditableText ? UIAccEvent::ValueChange : UIAccEvent::NameChange);
}

void CControlUI::SetManager(UIManagerCore* manager, CControlUI* parent, bool init) {
    manager_ = manager;
    parent_ = parent;
    if (init && manager) {
        manager->RegisterControl(this);
        DoInit();
    }
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    const bool wasVisible = IsVisible();
    visible_ = visible;
    if (focused_ && !visible && manager_) manager_->FocusedControlGone(this);
    if (wasVisible != IsVisible()) NeedParentUpdate();
    NotifyNativeControl();
    if (wasVisible != IsVisible()) RaiseAccessible(visible ? UIAccEvent::Show : UIAccEvent::Hide);
}

void CControlUI::SetInternVisible(bool visible) {
    internVisible_ = visible;
    if (!visible && focused_ && manager_) manager_->FocusedControlGone(this);
    NotifyNativeControl();
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled && focused_ && manager_) manager_->FocusedControlGone(this);
    Invalidate();
    NotifyNativeControl();
    RaiseAccessible(UIAccEvent::StateChange);
}

void CControlUI::SetFocus() {
    if (manager_) manager_->SetFocus(this);
}

void CControlUI::SetFloat(bool value) {
    if (float_ == value) return;
    float_ = value;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(UIColor color) { bkColor_ = color; Invalidate(); }
void CControlUI::SetBkImage(std::wstring_view description) { bkImage_ = CUIString(description); Invalidate(); }
void CControlUI::SetBorderColor(UIColor color) { borderColor_ = color; Invalidate(); }
void CControlUI::SetFocusBorderColor(UIColor color) { focusBorderColor_ = color; Invalidate(); }
void CControlUI::SetBorderSize(int size) { borderSize_ = std::clamp(size, 0, kUIMaxCoord); Invalidate(); }
void CControlUI::SetBorderRound(UISize round) { borderRound_ = round; Invalidate(); }

void CControlUI::SetPos(const UIRect& rect) {
    UIRect r = rect;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    Invalidate();  // the old place
    rcItem_ = r;
    updateNeeded_ = false;
    Invalidate();  // the new place
    NotifyNativeControl();
}

void CControlUI::SetPadding(const UIRect& padding) { padding_ = UIClampRect(padding); NeedParentUpdate(); }

void CControlUI::SetFloatPos(const UIRect& pos) {
    floatPos_ = UIClampRect(pos);
    fixed_ = {std::max(0, floatPos_.right - floatPos_.left), std::max(0, floatPos_.bottom - floatPos_.top)};
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx) { if (cx >= 0) { fixed_.cx = UIClampCoord(cx); NeedParentUpdate(); } }
void CControlUI::SetFixedHeight(int cy) { if (cy >= 0) { fixed_.cy = UIClampCoord(cy); NeedParentUpdate(); } }
void CControlUI::SetMinWidth(int cx) { if (cx >= 0) { min_.cx = UIClampCoord(cx); NeedParentUpdate(); } }
void CControlUI::SetMinHeight(int cy) { if (cy >= 0) { min_.cy = UIClampCoord(cy); NeedParentUpdate(); } }
void CControlUI::SetMaxWidth(int cx) { if (cx >= 0) { max_.cx = UIClampCoord(cx); NeedParentUpdate(); } }
void CControlUI::SetMaxHeight(int cy) { if (cy >= 0) { max_.cy = UIClampCoord(cy); NeedParentUpdate(); } }

UISize CControlUI::EstimateSize(UISize) { return GetScale().Px(fixed_); }

UIScale CControlUI::GetScale() const noexcept { return manager_ ? manager_->GetScale() : UIScale{}; }

const UIPalette& CControlUI::GetPalette() const noexcept {
    static const UIPalette skinOnly;
    return manager_ ? manager_->GetPalette() : skinOnly;
}

void CControlUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"pos") SetFloatPos(ParseRect(value));
    else if (name == L"padding") SetPadding(ParseRect(value));
    else if (name == L"bkcolor" || name == L"bkcolor1") SetBkColor(ParseColor(value));
    else if (name == L"bordercolor") SetBorderColor(ParseColor(value));
    else if (name == L"focusbordercolor") SetFocusBorderColor(ParseColor(value));
    else if (name == L"bordersize") SetBorderSize(ParseInt(value));
    else if (name == L"borderround") SetBorderRound(ParseSize(value));
    else if (name == L"bkimage") SetBkImage(value);
    else if (name == L"width") SetFixedWidth(ParseInt(value));
    else if (name == L"height") SetFixedHeight(ParseInt(value));
    else if (name == L"minwidth") SetMinWidth(ParseInt(value));
    else if (name == L"minheight") SetMinHeight(ParseInt(value));
    else if (name == L"maxwidth") SetMaxWidth(ParseInt(value));
    else if (name == L"maxheight") SetMaxHeight(ParseInt(value));
    else if (name == L"name") SetName(value);
    else if (name == L"text") SetText(value);
    else if (name == L"tooltip") SetToolTip(value);
    else if (name == L"userdata") SetUserData(value);
    else if (name == L"enabled") SetEnabled(ParseBool(value));
    else if (name == L"mouse") SetMouseEnabled(ParseBool(value));
    else if (name == L"keyboard") SetKeyboardEnabled(ParseBool(value));
    else if (name == L"visible") SetVisible(ParseBool(value));
    else if (name == L"float") SetFloat(ParseBool(value));
    else if (name == L"role") SetRole(ParseRole(value));
    else if (name == L"nameid") nameId_ = static_cast<unsigned>(std::max(0, ParseInt(value)));
    else if (name == L"isdefault") isDefault_ = ParseBool(value);
    else if (name == L"iscancel") isCancel_ = ParseBool(value);
}

void CControlUI::ApplyAttributeList(std::wstring_view list) {
    for (const auto& [name, value] : ParseAttributeList(list)) SetAttribute(name, value);
}

CControlUI* CControlUI::FindControl(const UIControlMatch& match, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) && !mouseEnabled_) return nullptr;
    return match(this) ? this : nullptr;
}

CControlUI* CControlUI::FindControlAt(UIPoint pt, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) && !mouseEnabled_) return nullptr;
    return rcItem_.contains(pt) ? this : nullptr;
}

void CControlUI::DoPaint(IRenderTarget& target, const UIRect& paintRect) {
    rcPaint_ = UIIntersect(paintRect, rcItem_);
    if (rcPaint_.empty()) return;
    PaintBkColor(target);
    PaintBkImage(target);
    PaintStatusImage(target);
    PaintText(target);
    PaintBorder(target);
}

void CControlUI::PaintBkColor(IRenderTarget& target) {
    if (bkColor_ != 0) target.FillRect(rcPaint_, GetPalette().Fill(bkColor_));
}

void CControlUI::PaintBkImage(IRenderTarget& target) { DrawImage(target, bkImage_); }
void CControlUI::PaintStatusImage(IRenderTarget&) {}
void CControlUI::PaintText(IRenderTarget&) {}

void CControlUI::PaintBorder(IRenderTarget& target) {
    if (borderSize_ <= 0) return;
    const UIColor color = (focused_ && focusBorderColor_ != 0) ? focusBorderColor_ : borderColor_;
    const UIScale scale = GetScale();
    if (color == 0) return;
    target.DrawBorder(rcItem_, scale.Line(borderSize_), GetPalette().Border(color), scale.Px(borderRound_));
}

void CControlUI::DoEvent(const UIEvent& event) {
    switch (event.type) {
    case UIEventType::SetFocus:
        focused_ = true;
        Invalidate();
        break;
    case UIEventType::KillFocus:
        focused_ = false;
        Invalidate();
        break;
    case UIEventType::ScrollWheel:
        if (parent_) parent_->DoEvent(event);  // scrolling belongs to the container
        break;
    default:
        break;
    }
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::Invalidate() {
    if (manager_ && !rcItem_.empty() && IsVisible()) manager_->Invalidate(rcItem_);
}

void CControlUI::NeedUpdate() {
    updateNeeded_ = true;
    if (manager_) {
        manager_->NeedUpdate();
        if (!rcItem_.empty()) manager_->Invalidate(rcItem_);
    }
}

void CControlUI::NeedParentUpdate() {
    if (parent_) parent_->NeedUpdate();
    else NeedUpdate();
}

bool CControlUI::DrawImage(IRenderTarget& target, std::wstring_view description) {
    if (description.empty()) return false;
    return target.DrawImage(rcItem_, rcPaint_, std::wstring(description));
}

void CControlUI::NotifyNativeControl() {
    if (manager_ && UsesNativeWindow()) manager_->Host().UpdateNativeControl(this);
}
