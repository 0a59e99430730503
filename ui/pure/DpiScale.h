#pragma once
// Markup is written in pixels of a 96-DPI screen. A window on a screen of another DPI
// draws everything dpi / 96 times as large: its manager holds one UIScale, and every
// length read from markup (sizes, paddings, insets, borders, fonts, the Window element's
// rectangles, image destinations) becomes device pixels through it where it is used.
// Controls keep their markup values; what they are given (their rectangle, the client
// area) is in device pixels.
#include <cstdint>
#include "ui/pure/Geometry.h"

inline constexpr int kUIBaseDpi = 96;

struct UIScale {
    int dpi = kUIBaseDpi;

    // A DPI outside 48 to 960 (half to ten times) is not a screen: taken as 96. (From
    // half up, a length of one pixel stays at least one.)
    static constexpr UIScale ForDpi(int dpi) noexcept {
        return UIScale{dpi >= 48 && dpi <= 960 ? dpi : kUIBaseDpi};
    }
    constexpr bool IsIdentity() const noexcept { return dpi == kUIBaseDpi; }

    // A length in device pixels, rounded to the nearest (halves away from zero), so that
    // 17 at 150 % is 26 and -17 is -26.
    constexpr int Px(int v) const noexcept {
        const int64_t scaled = int64_t{v} * dpi;
        const int64_t half = kUIBaseDpi / 2;
        return static_cast<int>(scaled >= 0 ? (scaled + half) / kUIBaseDpi : -((-scaled + half) / kUIBaseDpi));
    }
    // A line's thickness: as Px, but a line that is there stays at least a pixel wide.
    constexpr int Line(int v) const noexcept {
        const int px = Px(v);
        return v > 0 && px < 1 ? 1 : px;
    }
    constexpr UISize Px(UISize s) const noexcept { return {Px(s.cx), Px(s.cy)}; }
    constexpr UIRect Px(const UIRect& r) const noexcept { return {Px(r.left), Px(r.top), Px(r.right), Px(r.bottom)}; }
    // Device pixels back to markup pixels, rounded the same way (for the rare value that
    // is computed in device pixels and handed on as markup).
    constexpr int ToMarkup(int px) const noexcept {
        const int64_t scaled = int64_t{px} * kUIBaseDpi;
        const int64_t half = dpi / 2;
        return static_cast<int>(scaled >= 0 ? (scaled + half) / dpi : -((-scaled + half) / dpi));
    }

    friend constexpr bool operator==(const UIScale&, const UIScale&) = default;
};
