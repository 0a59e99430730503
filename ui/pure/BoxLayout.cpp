#include "ui/pure/BoxLayout.h"

#include <algorithm>
#include <cstdint>
#include "ui/pure/ScrollBar.h"

namespace {

// Sizes and paddings seen along the flow (main) and across it (cross). The vertical
// layout flows along y: its main size is a height, its cross size a width.
int& Main(UISize& s, UIAxis axis) { return axis == UIAxis::Vertical ? s.cy : s.cx; }
int& Cross(UISize& s, UIAxis axis) { return axis == UIAxis::Vertical ? s.cx : s.cy; }
int Main(UIPoint p, UIAxis axis) { return axis == UIAxis::Vertical ? p.y : p.x; }
int Cross(UIPoint p, UIAxis axis) { return axis == UIAxis::Vertical ? p.x : p.y; }
int LeadingPad(const UIRect& pad, UIAxis axis) { return axis == UIAxis::Vertical ? pad.top : pad.left; }
int TrailingPad(const UIRect& pad, UIAxis axis) { return axis == UIAxis::Vertical ? pad.bottom : pad.right; }
int CrossLeadingPad(const UIRect& pad, UIAxis axis) { return axis == UIAxis::Vertical ? pad.left : pad.top; }
int CrossTrailingPad(const UIRect& pad, UIAxis axis) { return axis == UIAxis::Vertical ? pad.right : pad.bottom; }

UISize SizeAlong(UIAxis axis, int main, int cross) {
    return axis == UIAxis::Vertical ? UISize{cross, main} : UISize{main, cross};
}

// A child's rectangle from where it starts along and across the flow, saturated to the
// layouts' extent.
UIRect RectAlong(UIAxis axis, int64_t main, int64_t cross, int mainSize, int crossSize) {
    const int mainStart = UISaturate(main), mainEnd = UISaturate(main + mainSize);
    const int crossStart = UISaturate(cross), crossEnd = UISaturate(cross + crossSize);
    if (axis == UIAxis::Vertical) return {crossStart, mainStart, crossEnd, mainEnd};
    return {mainStart, crossStart, mainEnd, crossEnd};
}

// The maximum wins over the minimum when the two disagree.
int Clamp(int value, int minimum, int maximum) {
    if (value < minimum) value = minimum;
    if (value > maximum) value = maximum;
    return value;
}

// The limits are markup pixels: they are compared at the window's scale.
int ClampMain(const CControlUI& c, int size, UIAxis axis, const UIScale& scale) {
    return axis == UIAxis::Vertical ? Clamp(size, scale.Px(c.GetMinHeight()), scale.Px(c.GetMaxHeight()))
                                    : Clamp(size, scale.Px(c.GetMinWidth()), scale.Px(c.GetMaxWidth()));
}

int ClampCross(const CControlUI& c, int size, UIAxis axis, const UIScale& scale) {
    return axis == UIAxis::Vertical ? Clamp(size, scale.Px(c.GetMinWidth()), scale.Px(c.GetMaxWidth()))
                                    : Clamp(size, scale.Px(c.GetMinHeight()), scale.Px(c.GetMaxHeight()));
}

bool InFlow(const CControlUI& c) { return c.IsVisible() && !c.IsFloat(); }

}  // namespace

// Sizes, paddings, limits and the gap come from markup and are scaled to the window one
// by one; the rectangle given is already in device pixels. So the rounding of each scaled
// length goes, as every other remainder, to the last adjustable child.
void CBoxLayoutUI::SetPos(const UIRect& rect) {
    const UIAxis axis = axis_;
    const UIScale scale = GetScale();
    const int gap = scale.Px(childPadding_);
    CControlUI::SetPos(rect);
    const UIRect inner = InnerRect(rcItem_);
    if (items_.empty()) {
        ProcessScrollBar(rcItem_, 0, 0);
        return;
    }
    // Only the horizontal bar's range widens the room, in both layouts.
    UISize available{inner.width(), inner.height()};
    if (IsHScrollShown()) available.cx += hScroll_->GetScrollRange();

    // First pass: the room taken by fixed sizes and paddings, and the share of the rest
    // for each child without a fixed size along the flow. Sums are taken in 64 bits: each
    // term is a clamped attribute, but thousands of children pass the int range.
    int adjustables = 0, placed = 0;
    int64_t fixedTotal = 0;
    for (auto& item : items_) {
        if (!InFlow(*item)) continue;
        UISize sz = item->EstimateSize(available);
        if (Main(sz, axis) == 0) ++adjustables;
        else Main(sz, axis) = ClampMain(*item, Main(sz, axis), axis, scale);
        const UIRect pad = scale.Px(item->GetPadding());
        fixedTotal += int64_t{LeadingPad(pad, axis)} + Main(sz, axis) + TrailingPad(pad, axis);
        ++placed;
    }
    fixedTotal += int64_t{gap} * (placed - 1);
    const int64_t share = adjustables > 0 ? (Main(available, axis) - fixedTotal) / adjustables : 0;
    const int expand = UISaturate(std::max<int64_t>(0, share));

    // Second pass: place them along the flow; the last adjustable child takes what the
    // integer division left over. The horizontal bar's position shifts the children in
    // both layouts, the vertical bar's only in the vertical one.
    const int shiftX = IsHScrollShown() ? hScroll_->GetScrollPos() : 0;
    const int shiftY = axis == UIAxis::Vertical && IsVScrollShown() ? vScroll_->GetScrollPos() : 0;
    const UIPoint origin{inner.left - shiftX, inner.top - shiftY};
    int64_t along = Main(origin, axis);
    const int across = Cross(origin, axis);
    int64_t remaining = Main(available, axis), fixedRemaining = fixedTotal, needed = 0;
    int adjusted = 0;
    for (auto& item : items_) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) { SetFloatPos(item.get()); continue; }
        const UIRect pad = scale.Px(item->GetPadding());
        const int lead = LeadingPad(pad, axis), trail = TrailingPad(pad, axis);
        remaining -= lead;
        UISize sz = item->EstimateSize(SizeAlong(axis, UISaturate(remaining), Cross(available, axis)));
        int& size = Main(sz, axis);
        if (size == 0) {
            ++adjusted;
            size = adjusted == adjustables ? UISaturate(std::max<int64_t>(0, remaining - trail - fixedRemaining)) : expand;
            size = ClampMain(*item, size, axis, scale);
        } else {
            size = ClampMain(*item, size, axis, scale);
            fixedRemaining -= size + lead + trail;
        }
        fixedRemaining -= gap;
        // Across the flow a child without a fixed size fills the room less its padding.
        int& crossSize = Cross(sz, axis);
        if (crossSize == 0) crossSize = Cross(available, axis) - CrossLeadingPad(pad, axis) - CrossTrailingPad(pad, axis);
        crossSize = ClampCross(*item, std::max(0, crossSize), axis, scale);
        item->SetPos(RectAlong(axis, along + lead, across + CrossLeadingPad(pad, axis), size, crossSize));
        along += lead + size + trail + gap;
        remaining -= size + gap + trail;
        needed += lead + size + trail;
    }
    needed += int64_t{gap} * (placed - 1);
    if (axis == UIAxis::Vertical) ProcessScrollBar(rcItem_, 0, UISaturate(needed));
    else ProcessScrollBar(rcItem_, UISaturate(needed), 0);
}

std::wstring_view CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(std::wstring_view name) {
    if (name == L"VerticalLayout") return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

std::wstring_view CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(std::wstring_view name) {
    if (name == L"HorizontalLayout") return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}
