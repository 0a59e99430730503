#include "ui/pure/BoxLayout.h"

#include <algorithm>
#include "ui/pure/ScrollBar.h"

namespace {

int ClampHeight(const CControlUI& c, int cy) {
    if (cy < c.GetMinHeight()) cy = c.GetMinHeight();
    if (cy > c.GetMaxHeight()) cy = c.GetMaxHeight();
    return cy;
}

int ClampWidth(const CControlUI& c, int cx) {
    if (cx < c.GetMinWidth()) cx = c.GetMinWidth();
    if (cx > c.GetMaxWidth()) cx = c.GetMaxWidth();
    return cx;
}

bool InFlow(const CControlUI& c) { return c.IsVisible() && !c.IsFloat(); }

}  // namespace

std::wstring_view CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(std::wstring_view name) {
    if (name == L"VerticalLayout") return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(const UIRect& rect) {
    CControlUI::SetPos(rect);
    const UIRect inner = InnerRect(m_rcItem);
    if (m_items.empty()) {
        ProcessScrollBar(m_rcItem, 0, 0);
        return;
    }
    UISize available{inner.width(), inner.height()};
    if (IsHScrollShown()) available.cx += m_hScroll->GetScrollRange();

    // First pass: the room taken by fixed heights and paddings, and the share of the rest
    // for each child without a fixed height.
    int adjustables = 0, fixedTotal = 0, placed = 0;
    for (auto& item : m_items) {
        if (!InFlow(*item)) continue;
        UISize sz = item->EstimateSize(available);
        if (sz.cy == 0) ++adjustables;
        else sz.cy = ClampHeight(*item, sz.cy);
        fixedTotal += item->GetPadding().top + sz.cy + item->GetPadding().bottom;
        ++placed;
    }
    fixedTotal += m_childPadding * (placed - 1);
    const int expand = adjustables > 0 ? std::max(0, (available.cy - fixedTotal) / adjustables) : 0;

    // Second pass: place them top to bottom; the last adjustable child takes what the
    // integer division left over.
    int y = inner.top - (IsVScrollShown() ? m_vScroll->GetScrollPos() : 0);
    const int x = inner.left - (IsHScrollShown() ? m_hScroll->GetScrollPos() : 0);
    int remaining = available.cy, fixedRemaining = fixedTotal, adjusted = 0, needed = 0;
    for (auto& item : m_items) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) { SetFloatPos(item.get()); continue; }
        const UIRect& pad = item->GetPadding();
        remaining -= pad.top;
        UISize sz = item->EstimateSize({available.cx, remaining});
        if (sz.cy == 0) {
            ++adjusted;
            sz.cy = adjusted == adjustables ? std::max(0, remaining - pad.bottom - fixedRemaining) : expand;
            sz.cy = ClampHeight(*item, sz.cy);
        } else {
            sz.cy = ClampHeight(*item, sz.cy);
            fixedRemaining -= sz.cy + pad.top + pad.bottom;
        }
        fixedRemaining -= m_childPadding;
        if (sz.cx == 0) sz.cx = available.cx - pad.left - pad.right;
        sz.cx = ClampWidth(*item, std::max(0, sz.cx));
        const int left = x + pad.left, top = y + pad.top;
        item->SetPos({left, top, left + sz.cx, top + sz.cy});
        y += pad.top + sz.cy + pad.bottom + m_childPadding;
        remaining -= sz.cy + m_childPadding + pad.bottom;
        needed += pad.top + sz.cy + pad.bottom;
    }
    needed += m_childPadding * (placed - 1);
    ProcessScrollBar(m_rcItem, 0, needed);
}

std::wstring_view CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(std::wstring_view name) {
    if (name == L"HorizontalLayout") return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(const UIRect& rect) {
    CControlUI::SetPos(rect);
    const UIRect inner = InnerRect(m_rcItem);
    if (m_items.empty()) {
        ProcessScrollBar(m_rcItem, 0, 0);
        return;
    }
    UISize available{inner.width(), inner.height()};
    if (IsHScrollShown()) available.cx += m_hScroll->GetScrollRange();

    int adjustables = 0, fixedTotal = 0, placed = 0;
    for (auto& item : m_items) {
        if (!InFlow(*item)) continue;
        UISize sz = item->EstimateSize(available);
        if (sz.cx == 0) ++adjustables;
        else sz.cx = ClampWidth(*item, sz.cx);
        fixedTotal += item->GetPadding().left + sz.cx + item->GetPadding().right;
        ++placed;
    }
    fixedTotal += m_childPadding * (placed - 1);
    const int expand = adjustables > 0 ? std::max(0, (available.cx - fixedTotal) / adjustables) : 0;

    int x = inner.left - (IsHScrollShown() ? m_hScroll->GetScrollPos() : 0);
    int remaining = available.cx, fixedRemaining = fixedTotal, adjusted = 0, needed = 0;
    for (auto& item : m_items) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) { SetFloatPos(item.get()); continue; }
        const UIRect& pad = item->GetPadding();
        remaining -= pad.left;
        UISize sz = item->EstimateSize({remaining, available.cy});
        if (sz.cx == 0) {
            ++adjusted;
            sz.cx = adjusted == adjustables ? std::max(0, remaining - pad.right - fixedRemaining) : expand;
            sz.cx = ClampWidth(*item, sz.cx);
        } else {
            sz.cx = ClampWidth(*item, sz.cx);
            fixedRemaining -= sz.cx + pad.left + pad.right;
        }
        fixedRemaining -= m_childPadding;
        // Across the flow a child without a fixed height fills the inner rectangle.
        if (sz.cy == 0) sz.cy = inner.height() - pad.top - pad.bottom;
        sz.cy = ClampHeight(*item, std::max(0, sz.cy));
        const int left = x + pad.left, top = inner.top + pad.top;
        item->SetPos({left, top, left + sz.cx, top + sz.cy});
        x += pad.left + sz.cx + pad.right + m_childPadding;
        remaining -= sz.cx + m_childPadding + pad.right;
        needed += pad.left + sz.cx + pad.right;
    }
    needed += m_childPadding * (placed - 1);
    ProcessScrollBar(m_rcItem, needed, 0);
}
