#pragma once
// Plain geometry of the framework, free of <windows.h> (the layout of a RECT, so the
// platform side can convert by copying fields).
#include <cstdint>

struct UIPoint { int x = 0; int y = 0; };
struct UISize { int cx = 0; int cy = 0; };

struct UIRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const noexcept { return right - left; }
    int height() const noexcept { return bottom - top; }
    bool empty() const noexcept { return right <= left || bottom <= top; }
    bool contains(UIPoint p) const noexcept { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    friend bool operator==(const UIRect&, const UIRect&) = default;
};

// The part two rectangles share; empty() when they do not meet.
inline constexpr UIRect UIIntersect(const UIRect& a, const UIRect& b) noexcept {
    return {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

// Geometry read from markup is kept within kUIMaxCoord pixels either way, and what the
// layouts compute from it (the flow of many children, scroll ranges) within kUIMaxExtent:
// far beyond any screen, and far enough from the int limits that adding clamped
// attributes to a computed position can never overflow.
inline constexpr int kUIMaxCoord = 100000;
inline constexpr int kUIMaxExtent = kUIMaxCoord * 1000;
inline constexpr int UIClampCoord(int v) noexcept {
    return v < -kUIMaxCoord ? -kUIMaxCoord : (v > kUIMaxCoord ? kUIMaxCoord : v);
}
inline constexpr UIRect UIClampRect(const UIRect& r) noexcept {
    return {UIClampCoord(r.left), UIClampCoord(r.top), UIClampCoord(r.right), UIClampCoord(r.bottom)};
}
inline constexpr UISize UIClampSize(UISize s) noexcept { return {UIClampCoord(s.cx), UIClampCoord(s.cy)}; }
// A sum taken in 64 bits, saturated to the extent.
inline constexpr int UISaturate(int64_t v) noexcept {
    return v < -kUIMaxExtent ? -kUIMaxExtent : (v > kUIMaxExtent ? kUIMaxExtent : static_cast<int>(v));
}

// Colours are 0xAARRGGBB, as written in markup ("#FF333333").
using UIColor = uint32_t;
