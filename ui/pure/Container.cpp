#include "ui/pure/Container.h"

#include <algorithm>
#include <cstdint>
#include "ui/pure/ManagerCore.h"
#include "ui/pure/ScrollBar.h"
#include "ui/pure/ValueParse.h"

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go first, while this container is still whole.
    m_items.clear();
    m_vScroll.reset();
    m_hScroll.reset();
}

std::wstring_view CContainerUI::GetClass() const { return L"ContainerUI"; }

void* CContainerUI::GetInterface(std::wstring_view name) {
    if (name == L"Container") return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

CControlUI* CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control || index < 0 || index > GetCount()) return nullptr;
    CControlUI* raw = control.get();
    m_items.insert(m_items.begin() + index, std::move(control));
    raw->SetManager(m_manager, this, m_manager != nullptr);
    raw->SetInternVisible(IsVisible());
    NeedUpdate();
    return raw;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == control) return static_cast<int>(i);
    return -1;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)].get() : nullptr;
}

bool CContainerUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    m_items.erase(m_items.begin() + index);  // its destructor tells the manager
    NeedUpdate();
    return true;
}

std::unique_ptr<CControlUI> CContainerUI::Detach(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return nullptr;
    std::unique_ptr<CControlUI> owned = std::move(m_items[static_cast<size_t>(index)]);
    m_items.erase(m_items.begin() + index);
    if (m_manager) {
        owned->FindControl([this](CControlUI* c) { m_manager->ControlDestroyed(c); return false; }, UIFIND_ALL);
    }
    owned->SetManager(nullptr, nullptr, false);
    NeedUpdate();
    return owned;
}

void CContainerUI::RemoveAll() {
    m_items.clear();
    NeedUpdate();
}

void CContainerUI::SetInset(const UIRect& inset) { m_inset = UIClampRect(inset); NeedUpdate(); }
void CContainerUI::SetChildPadding(int padding) { m_childPadding = UIClampCoord(padding); NeedUpdate(); }

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    const auto make = [this](bool horizontalBar) {
        auto bar = std::make_unique<CScrollBarUI>();
        bar->SetHorizontal(horizontalBar);
        bar->SetOwner(this);
        bar->SetVisible(false);  // shown when the children need more room
        bar->SetManager(m_manager, this, false);
        if (m_manager) {
            if (const CUIString* list = m_manager->GetDefaultAttributeList(horizontalBar ? L"HScrollBar" : L"VScrollBar"))
                bar->ApplyAttributeList(*list);
        }
        return bar;
    };
    if (vertical && !m_vScroll) m_vScroll = make(false);
    if (!vertical) m_vScroll.reset();
    if (horizontal && !m_hScroll) m_hScroll = make(true);
    if (!horizontal) m_hScroll.reset();
    NeedUpdate();
}

UISize CContainerUI::GetScrollPos() const {
    return {m_hScroll ? m_hScroll->GetScrollPos() : 0, m_vScroll ? m_vScroll->GetScrollPos() : 0};
}

UISize CContainerUI::GetScrollRange() const {
    return {m_hScroll ? m_hScroll->GetScrollRange() : 0, m_vScroll ? m_vScroll->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(UISize pos) {
    if (m_hScroll) m_hScroll->SetScrollPos(pos.cx);
    if (m_vScroll) m_vScroll->SetScrollPos(pos.cy);
}

bool CContainerUI::IsVScrollShown() const { return m_vScroll && m_vScroll->GetOwnVisible(); }
bool CContainerUI::IsHScrollShown() const { return m_hScroll && m_hScroll->GetOwnVisible(); }

void CContainerUI::SetManager(UIManagerCore* manager, CControlUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, init);
    for (auto& item : m_items) item->SetManager(manager, this, init);
    if (m_vScroll) m_vScroll->SetManager(manager, this, init);
    if (m_hScroll) m_hScroll->SetManager(manager, this, init);
}

void CContainerUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    for (auto& item : m_items) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (auto& item : m_items) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enabled) { CControlUI::SetEnabled(enabled); }

UIRect CContainerUI::InnerRect(const UIRect& rect) const {
    const UIRect inset = GetScale().Px(m_inset);
    UIRect r{rect.left + inset.left, rect.top + inset.top, rect.right - inset.right, rect.bottom - inset.bottom};
    if (IsVScrollShown()) r.right -= ScrollBarWidth();
    if (IsHScrollShown()) r.bottom -= ScrollBarHeight();
    return r;
}

int CContainerUI::ScrollBarWidth() const { return m_vScroll ? GetScale().Px(m_vScroll->GetFixedWidth()) : 0; }
int CContainerUI::ScrollBarHeight() const { return m_hScroll ? GetScale().Px(m_hScroll->GetFixedHeight()) : 0; }

void CContainerUI::SetFloatPos(CControlUI* child) const {
    const UIRect pos = GetScale().Px(child->GetFloatPos());
    child->SetPos({m_rcItem.left + pos.left, m_rcItem.top + pos.top, m_rcItem.left + pos.right, m_rcItem.top + pos.bottom});
}

// A plain container gives every child the inner rectangle less the child's padding.
void CContainerUI::SetPos(const UIRect& rect) {
    CControlUI::SetPos(rect);
    const UIRect inner = InnerRect(m_rcItem);
    for (auto& item : m_items) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) { SetFloatPos(item.get()); continue; }
        const UIRect pad = GetScale().Px(item->GetPadding());
        item->SetPos({inner.left + pad.left, inner.top + pad.top, inner.right - pad.right, inner.bottom - pad.bottom});
    }
    ProcessScrollBar(m_rcItem, 0, 0);
}

void CContainerUI::ProcessScrollBar(const UIRect& rect, int cxRequired, int cyRequired) {
    const UIRect inset = GetScale().Px(m_inset);
    const int insetBottom = rect.bottom - inset.bottom;
    const int insetRight = rect.right - inset.right;
    if (m_hScroll) {
        const int available = (insetRight - (rect.left + inset.left)) - (IsVScrollShown() ? ScrollBarWidth() : 0);
        const int range = cxRequired - available;
        m_hScroll->SetScrollRange(std::max(0, range));
        const bool show = range > 0;
        if (show != m_hScroll->GetOwnVisible()) {
            m_hScroll->SetVisible(show);
            if (!show) m_hScroll->SetScrollPos(0);
            NeedUpdate();  // the inner rectangle changed: lay out again on the next paint
        }
        const int h = ScrollBarHeight();
        m_hScroll->SetPos({rect.left + inset.left, insetBottom - h,
                           insetRight - (IsVScrollShown() ? ScrollBarWidth() : 0), insetBottom});
    }
    if (m_vScroll) {
        const int available = (insetBottom - (rect.top + inset.top)) - (IsHScrollShown() ? ScrollBarHeight() : 0);
        const int range = cyRequired - available;
        m_vScroll->SetScrollRange(std::max(0, range));
        const bool show = range > 0;
        if (show != m_vScroll->GetOwnVisible()) {
            m_vScroll->SetVisible(show);
            if (!show) m_vScroll->SetScrollPos(0);
            NeedUpdate();
        }
        const int w = ScrollBarWidth();
        m_vScroll->SetPos({insetRight - w, rect.top + inset.top, insetRight,
                           insetBottom - (IsHScrollShown() ? ScrollBarHeight() : 0)});
    }
}

void CContainerUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"inset") SetInset(ParseRect(value));
    else if (name == L"childpadding") SetChildPadding(ParseInt(value));
    else if (name == L"mousechild") SetMouseChildEnabled(ParseBool(value));
    else if (name == L"vscrollbar") EnableScrollBar(ParseBool(value), m_hScroll != nullptr);
    else if (name == L"hscrollbar") EnableScrollBar(m_vScroll != nullptr, ParseBool(value));
    else CControlUI::SetAttribute(name, value);
}

CControlUI* CContainerUI::FindControl(const UIControlMatch& match, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    const bool childrenToo = !(flags & UIFIND_HITTEST) || m_mouseChildEnabled;
    if (childrenToo) {
        const int n = GetCount();
        for (int k = 0; k < n; ++k) {
            CControlUI* item = m_items[static_cast<size_t>((flags & UIFIND_TOP_FIRST) ? n - 1 - k : k)].get();
            if (CControlUI* found = item->FindControl(match, flags)) return found;
        }
    }
    if ((flags & UIFIND_HITTEST) && !m_mouseEnabled) return nullptr;
    return match(this) ? this : nullptr;
}

CControlUI* CContainerUI::FindControlAt(UIPoint pt, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if (!m_rcItem.contains(pt)) return nullptr;  // children are clipped to the container
    for (CScrollBarUI* bar : {m_vScroll.get(), m_hScroll.get()})
        if (bar && bar->IsVisible())
            if (CControlUI* found = bar->FindControlAt(pt, flags)) return found;
    if (!(flags & UIFIND_HITTEST) || m_mouseChildEnabled) {
        const int n = GetCount();
        for (int k = 0; k < n; ++k) {
            CControlUI* item = m_items[static_cast<size_t>((flags & UIFIND_TOP_FIRST) ? n - 1 - k : k)].get();
            if (CControlUI* found = item->FindControlAt(pt, flags)) return found;
        }
    }
    if ((flags & UIFIND_HITTEST) && !m_mouseEnabled) return nullptr;
    return this;
}

void CContainerUI::DoPaint(IRenderTarget& target, const UIRect& paintRect) {
    CControlUI::DoPaint(target, paintRect);
    if (m_rcPaint.empty()) return;
    const UIRect clip = m_rcPaint;  // children are drawn inside the container only
    for (auto& item : m_items)
        if (item->IsVisible()) item->DoPaint(target, clip);
    for (CScrollBarUI* bar : {m_vScroll.get(), m_hScroll.get()})
        if (bar && bar->IsVisible()) bar->DoPaint(target, clip);
}

void CContainerUI::DoEvent(const UIEvent& event) {
    if (event.type == UIEventType::ScrollWheel && IsVScrollShown()) {
        m_vScroll->ScrollBy(-int64_t{event.wheelDelta} / 120 * 3 * GetScale().Px(m_vScroll->GetLineSize()));
        return;
    }
    CControlUI::DoEvent(event);
}
