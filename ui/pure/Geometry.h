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

// Colours are 0xAARRGGBB, as written in markup ("#FF333333").
using UIColor = uint32_t;
