#pragma once
// What controls draw through. The platform side implements it on a double-buffered GDI+
// surface; tests implement it to record drawing calls.
#include <string>
#include "ui/pure/Geometry.h"

// Text style flags (the values of the platform's DT_* flags, so they pass through).
enum UITextStyle : unsigned {
    UI_DT_LEFT = 0x0, UI_DT_CENTER = 0x1, UI_DT_RIGHT = 0x2,
    UI_DT_TOP = 0x0, UI_DT_VCENTER = 0x4, UI_DT_BOTTOM = 0x8,
    UI_DT_WORDBREAK = 0x10, UI_DT_SINGLELINE = 0x20, UI_DT_END_ELLIPSIS = 0x8000,
};

class IRenderTarget {
public:
    virtual ~IRenderTarget() = default;
    virtual void FillRect(const UIRect& rect, UIColor color) = 0;
    // A border of `size` pixels inside `rect`; rounded when `round` is not zero.
    virtual void DrawBorder(const UIRect& rect, int size, UIColor color, UISize round) = 0;
    // Draws the image that `description` names into `controlRect` (clipped to `paintRect`).
    // Returns false when the image cannot be loaded or drawn.
    virtual bool DrawImage(const UIRect& controlRect, const UIRect& paintRect, const std::wstring& description) = 0;
    // Draws `text` with font index `font` (-1: the window's default font).
    virtual void DrawText(const UIRect& rect, const std::wstring& text, int font, UIColor color, unsigned style) = 0;
    virtual UISize MeasureText(const std::wstring& text, int font) = 0;
};
