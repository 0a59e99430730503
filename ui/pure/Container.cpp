#include "ui/pure/Container.h"

#include <algorithm>
#include <cstdint>
#include "ui/pure/ManagerCore.h"
#include "ui/pure/ScrollBar.h"
#include "ui/pure/ValueParse.h"

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go first, while this container is still whole.
    items_.clear();
    vScroll_.reset();
    hScroll_.reset();
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
    items_.insert(items_.begin() + index, std::move(control));
    raw->SetManager(manager_, this, manager_ != nullptr);
    raw->SetInternVisible(IsVisible());
    NeedUpdate();
    return raw;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == control) return static_cast<int>(i);
    return -1;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

bool CContainerUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    items_.erase(items_.begin() + index);  // its destructor tells the manager
    NeedUpdate();
    return true;
}

std::unique_ptr<CControlUI> CContainerUI::Detach(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return nullptr;
    std::unique_ptr<CControlUI> owned = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    if (manager_) {
        owned->FindControl([this](CControlUI* c) { manager_->ControlDestroyed(c); return false; }, UIFIND_ALL);
    }
    owned->SetManager(nullptr, nullptr, false);
    NeedUpdate();
    return owned;
}

void CContainerUI::RemoveAll() {
    items_.clear();
    NeedUpdate();
}

void CContainerUI::SetInset(const UIRect& inset) { inset_ = UIClampRect(inset); NeedUpdate(); }
void CContainerUI::SetChildPadding(int padding) { childPadding_ = UIClampCoord(padding); NeedUpdate(); }

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    const auto make = [this](bool horizontalBar) {
        auto bar = std::make_unique<CScrollBarUI>();
        bar->SetHorizontal(horizontalBar);
        bar->SetOwner(this);
        bar->SetVisible(false);  // shown when the children need more room
        bar->SetManager(manager_, this, false);
        if (manager_) {
            if (const CUIString* list = manager_->GetDefaultAttributeList(horizontalBar ? L"HScrollBar" : L"VScrollBar"))
                bar->ApplyAttributeList(*list);
        }
        return bar;
    };
    if (vertical && !vScroll_) vScroll_ = make(false);
    if (!vertical) vScroll_.reset();
    if (horizontal && !hScroll_) hScroll_ = make(true);
    if (!horizontal) hScroll_.reset();
    NeedUpdate();
}

UISize CContainerUI::GetScrollPos() const {
    return {hScroll_ ? hScroll_->GetScrollPos() : 0, vScroll_ ? vScroll_->GetScrollPos() : 0};
}

UISize CContainerUI::GetScrollRange() const {
    return {hScroll_ ? hScroll_->GetScrollRange() : 0, vScroll_ ? vScroll_->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(UISize pos) {
    if (hScroll_) hScroll_->SetScrollPos(pos.cx);
    if (vScroll_) vScroll_->SetScrollPos(pos.cy);
}

bool CContainerUI::IsVScrollShown() const { return vScroll_ && vScroll_->GetOwnVisible(); }
bool CContainerUI::IsHScrollShown() const { return hScroll_ && hScroll_->GetOwnVisible(); }

void CContainerUI::SetManager(UIManagerCore* manager, CControlUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, init);
    for (auto& item : items_) item->SetManager(manager, this, init);
    if (vScroll_) vScroll_->SetManager(manager, this, init);
    if (hScroll_) hScroll_->SetManager(manager, this, init);
}

void CContainerUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    for (auto& item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (auto& item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enabled) { CControlUI::SetEnabled(enabled); }

UIRect CContainerUI::InnerRect(const UIRect& rect) const {
    const UIRect inset = GetScale().Px(inset_);
    UIRect r{rect.left + inset.left, rect.top + inset.top, rect.right - inset.right, rect.bottom - inset.bottom};
    if (IsVScrollShown()) r.right -= ScrollBarWidth();
    if (IsHScrollShown()) r.bottom -= ScrollBarHeight();
    return r;
}

int CContainerUI::ScrollBarWidth() const { return vScroll_ ? GetScale().Px(vScroll_->GetFixedWidth()) : 0; }
int CContainerUI::ScrollBarHeight() const { return hScroll_ ? GetScale().Px(hScroll_->GetFixedHeight()) : 0; }

void CContainerUI::SetFloatPos(CControlUI* child) const {
    const UIRect pos = GetScale().Px(child->GetFloatPos());
    child->SetPos({rcItem_.left + pos.left, rcItem_.top + pos.top, rcItem_.left + pos.right, rcItem_.top + pos.bottom});
}

// A plain container gives every child the inner rectangle less the child's padding.
void CContainerUI::SetPos(const UIRect& rect) {
    CControlUI::SetPos(rect);
    const UIRect inner = InnerRect(rcItem_);
    for (auto& item : items_) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) { SetFloatPos(item.get()); continue; }
        const UIRect pad = GetScale().Px(item->GetPadding());
        item->SetPos({inner.left + pad.left, inner.top + pad.top, inner.right - pad.right, inner.bottom - pad.bottom});
    }
    ProcessScrollBar(rcItem_, 0, 0);
}

void CContainerUI::ProcessScrollBar(const UIRect& rect, int cxRequired, int cyRequired) {
    const UIRect inset = GetScale().Px(inset_);
    const int insetBottom = rect.bottom - inset.bottom;
    const int insetRight = rect.right - inset.right;
    if (hScroll_) {
        const int available = (insetRight - (rect.left + inset.left)) - (IsVScrollShown() ? ScrollBarWidth() : 0);
        const int range = cxRequired - available;
        hScroll_->SetScrollRange(std::max(0, range));
        const bool show = range > 0;
        if (show != hScroll_->GetOwnVisible()) {
            hScroll_->SetVisible(show);
            if (!show) hScroll_->SetScrollPos(0);
            NeedUpdate();  // the inner rectangle changed: lay out again on the next paint
        }
        const int h = ScrollBarHeight();
        hScroll_->SetPos({rect.left + inset.left, insetBottom - h,
                           insetRight - (IsVScrollShown() ? ScrollBarWidth() : 0), insetBottom});
    }
    if (vScroll_) {
        const int available = (insetBottom - (rect.top + inset.top)) - (IsHScrollShown() ? ScrollBarHeight() : 0);
        const int range = cyRequired - available;
        vScroll_->SetScrollRange(std::max(0, range));
        const bool show = range > 0;
        if (show != vScroll_->GetOwnVisible()) {
            vScroll_->SetVisible(show);
            if (!show) vScroll_->SetScrollPos(0);
            NeedUpdate();
        }
        const int w = ScrollBarWidth();
        vScroll_->SetPos({insetRight - w, rect.top + inset.top, insetRight,
                           insetBottom - (IsHScrollShown() ? ScrollBarHeight() : 0)});
    }
}

void CContainerUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"inset") SetInset(ParseRect(value));
    else if (name == L"childpadding") SetChildPadding(ParseInt(value));
    else if (name == L"mousechild") SetMouseChildEnabled(ParseBool(value));
    else if (name == L"vscrollbar") EnableScrollBar(ParseBool(value), hScroll_ != nullptr);
    else if (name == L"hscrollbar") EnableScrollBar(vScroll_ != nullptr, ParseBool(value));
    else CControlUI::SetAttribute(name, value);
}

CControlUI* CContainerUI::FindControl(const UIControlMatch& match, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    const bool childrenToo = !(flags & UIFIND_HITTEST) || mouseChildEnabled_;
    if (childrenToo) {
        const int n = GetCount();
        for (int k = 0; k < n; ++k) {
            CControlUI* item = items_[static_cast<size_t>((flags & UIFIND_TOP_FIRST) ? n - 1 - k : k)].get();
            if (CControlUI* found = item->FindControl(match, flags)) return found;
        }
    }
    if ((flags & UIFIND_HITTEST) && !mouseEnabled_) return nullptr;
    return match(this) ? this : nullptr;
}

CControlUI* CContainerUI::FindControlAt(UIPoint pt, unsigned flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if (!rcItem_.contains(pt)) return nullptr;  // children are clipped to the container
    for (CScrollBarUI* bar : {vScroll_.get(), hScroll_.get()})
        if (bar && bar->IsVisible())
            if (CControlUI* found = bar->FindControlAt(pt, flags)) return found;
    if (!(flags & UIFIND_HITTEST) || mouseChildEnabled_) {
        const int n = GetCount();
        for (int k = 0; k < n; ++k) {
            CControlUI* item = items_[static_cast<size_t>((flags & UIFIND_TOP_FIRST) ? n - 1 - k : k)].get();
            if (CControlUI* found = item->FindControlAt(pt, flags)) return found;
        }
    }
    if ((flags & UIFIND_HITTEST) && !mouseEnabled_) return nullptr;
    return this;
}

void CContainerUI::DoPaint(IRenderTarget& target, const UIRect& paintRect) {
    CControlUI::DoPaint(target, paintRect);
    if (rcPaint_.empty()) return;
    const UIRect clip = rcPaint_;  // children are drawn inside the container only
    for (auto& item : items_)
        if (item->IsVisible()) item->DoPaint(target, clip);
    for (CScrollBarUI* bar : {vScroll_.get(), hScroll_.get()})
        if (bar && bar->IsVisible()) bar->DoPaint(target, clip);
}

void CContainerUI::DoEvent(const UIEvent& event) {
    if (event.type == UIEventType::ScrollWheel && IsVScrollShown()) {
        vScroll_->ScrollBy(-int64_t{event.wheelDelta} / 120 * 3 * GetScale().Px(vScroll_->GetLineSize()));
        return;
    }
    CControlUI::DoEvent(event);
}
