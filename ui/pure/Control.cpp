#include "ui/pure/Control.h"

#include <algorithm>
#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_manager) m_manager->ControlDestroyed(this);
}

std::wstring_view CControlUI::GetClass() const { return L"ControlUI"; }

void* CControlUI::GetInterface(std::wstring_view name) {
    return name == L"Control" ? this : nullptr;
}

void CControlUI::SetName(std::wstring_view name) {
    if (m_name == name) return;
    const CUIString old = m_name;
    m_name = CUIString(name);
    if (m_manager) m_manager->RenameControl(this, old);
}

void CControlUI::SetText(std::wstring_view text) {
    if (m_text == text) return;
    m_text = CUIString(text);
    Invalidate();
    NotifyNativeControl();
}

void CControlUI::SetManager(UIManagerCore* manager, CControlUI* parent, bool init) {
    m_manager = manager;
    m_parent = parent;
    if (init && manager) {
        manager->RegisterControl(this);
        DoInit();
    }
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    const bool wasVisible = IsVisible();
    m_visible = visible;
    if (m_focused && !visible && m_manager) m_manager->SetFocus(nullptr);
    if (wasVisible != IsVisible()) NeedParentUpdate();
    NotifyNativeControl();
}

void CControlUI::SetInternVisible(bool visible) {
    m_internVisible = visible;
    if (!visible && m_focused && m_manager) m_manager->SetFocus(nullptr);
    NotifyNativeControl();
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Invalidate();
    NotifyNativeControl();
}

void CControlUI::SetFocus() {
    if (m_manager) m_manager->SetFocus(this);
}

void CControlUI::SetFloat(bool value) {
    if (m_float == value) return;
    m_float = value;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(UIColor color) { m_bkColor = color; Invalidate(); }
void CControlUI::SetBkImage(std::wstring_view description) { m_bkImage = CUIString(description); Invalidate(); }
void CControlUI::SetBorderColor(UIColor color) { m_borderColor = color; Invalidate(); }
void CControlUI::SetFocusBorderColor(UIColor color) { m_focusBorderColor = color; Invalidate(); }
void CControlUI::SetBorderSize(int size) { m_borderSize = std::clamp(size, 0, kUIMaxCoord); Invalidate(); }
void CControlUI::SetBorderRound(UISize round) { m_borderRound = round; Invalidate(); }

void CControlUI::SetPos(const UIRect& rect) {
    UIRect r = rect;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    Invalidate();  // the old place
    m_rcItem = r;
    m_updateNeeded = false;
    Invalidate();  // the new place
    NotifyNativeControl();
}

void CControlUI::SetPadding(const UIRect& padding) { m_padding = UIClampRect(padding); NeedParentUpdate(); }

void CControlUI::SetFloatPos(const UIRect& pos) {
    m_floatPos = UIClampRect(pos);
    m_fixed = {std::max(0, m_floatPos.right - m_floatPos.left), std::max(0, m_floatPos.bottom - m_floatPos.top)};
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx) { if (cx >= 0) { m_fixed.cx = UIClampCoord(cx); NeedParentUpdate(); } }
void CControlUI::SetFixedHeight(int cy) { if (cy >= 0) { m_fixed.cy = UIClampCoord(cy); NeedParentUpdate(); } }
void CControlUI::SetMinWidth(int cx) { if (cx >= 0) { m_min.cx = UIClampCoord(cx); NeedParentUpdate(); } }
void CControlUI::SetMinHeight(int cy) { if (cy >= 0) { m_min.cy = UIClampCoord(cy); NeedParentUpdate(); } }
void CControlUI::SetMaxWidth(int cx) { if (cx >= 0) { m_max.cx = UIClampCoord(cx); NeedParentUpdate(); } }
void CControlUI::SetMaxHeight(int cy) { if (cy >= 0) { m_max.cy = UIClampCoord(cy); NeedParentUpdate(); } }

UISize CControlUI::EstimateSize(UISize) { return GetScale().Px(m_fixed); }

UIScale CControlUI::GetScale() const noexcept { return m_manager ? m_manager->GetScale() : UIScale{}; }

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
}

void CControlUI::ApplyAttributeList(std::wstring_view list) {
    for (const auto& [name, value] : ParseAttributeList(list)) SetAttribute(name, value);
}

CControlUI* CControlUI::FindControl(const UIControlMatch& match, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) && !m_mouseEnabled) return nullptr;
    return match(this) ? this : nullptr;
}

CControlUI* CControlUI::FindControlAt(UIPoint pt, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) && !m_mouseEnabled) return nullptr;
    return m_rcItem.contains(pt) ? this : nullptr;
}

void CControlUI::DoPaint(IRenderTarget& target, const UIRect& paintRect) {
    m_rcPaint = UIIntersect(paintRect, m_rcItem);
    if (m_rcPaint.empty()) return;
    PaintBkColor(target);
    PaintBkImage(target);
    PaintStatusImage(target);
    PaintText(target);
    PaintBorder(target);
}

void CControlUI::PaintBkColor(IRenderTarget& target) {
    if (m_bkColor != 0) target.FillRect(m_rcPaint, m_bkColor);
}

void CControlUI::PaintBkImage(IRenderTarget& target) { DrawImage(target, m_bkImage); }
void CControlUI::PaintStatusImage(IRenderTarget&) {}
void CControlUI::PaintText(IRenderTarget&) {}

void CControlUI::PaintBorder(IRenderTarget& target) {
    if (m_borderSize <= 0) return;
    const UIColor color = (m_focused && m_focusBorderColor != 0) ? m_focusBorderColor : m_borderColor;
    const UIScale scale = GetScale();
    if (color != 0) target.DrawBorder(m_rcItem, scale.Line(m_borderSize), color, scale.Px(m_borderRound));
}

void CControlUI::DoEvent(const UIEvent& event) {
    switch (event.type) {
    case UIEventType::SetFocus:
        m_focused = true;
        Invalidate();
        break;
    case UIEventType::KillFocus:
        m_focused = false;
        Invalidate();
        break;
    case UIEventType::ScrollWheel:
        if (m_parent) m_parent->DoEvent(event);  // scrolling belongs to the container
        break;
    default:
        break;
    }
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::Invalidate() {
    if (m_manager && !m_rcItem.empty() && IsVisible()) m_manager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
    m_updateNeeded = true;
    if (m_manager) {
        m_manager->NeedUpdate();
        if (!m_rcItem.empty()) m_manager->Invalidate(m_rcItem);
    }
}

void CControlUI::NeedParentUpdate() {
    if (m_parent) m_parent->NeedUpdate();
    else NeedUpdate();
}

bool CControlUI::DrawImage(IRenderTarget& target, std::wstring_view description) {
    if (description.empty()) return false;
    return target.DrawImage(m_rcItem, m_rcPaint, std::wstring(description));
}

void CControlUI::NotifyNativeControl() {
    if (m_manager && UsesNativeWindow()) m_manager->Host().UpdateNativeControl(this);
}
