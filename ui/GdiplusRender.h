#pragma once
// IRenderTarget on a device context (normally the window's 32-bit back buffer): fills and
// borders with alpha through GDI+, images through the window's image cache at the
// window's scale, text with the window's fonts (already at that scale) through GDI.
#include <windows.h>
#include "ui/pure/DpiScale.h"
#include "ui/pure/Render.h"
#include "ui/win/ImageCache.h"

class IFontProvider {
public:
    virtual ~IFontProvider() = default;
    // The font of that index; -1 or an unknown index gives the window's default font.
    virtual HFONT GetFont(int index) = 0;
};

class CGdiplusRender : public IRenderTarget {
public:
    CGdiplusRender(HDC dc, IFontProvider& fonts, CImageCache& images, UIScale scale = {})
        : dc_(dc), fonts_(fonts), images_(images), scale_(scale) {}

    void FillRect(const UIRect& rect, UIColor color) override;
    void DrawBorder(const UIRect& rect, int size, UIColor color, UISize round) override;
    bool DrawImage(const UIRect& controlRect, const UIRect& paintRect, const std::wstring& description) override;
    void DrawText(const UIRect& rect, const std::wstring& text, int font, UIColor color, unsigned style) override;
    UISize MeasureText(const std::wstring& text, int font) override;

    HDC dc() const { return dc_; }

private:
    HDC dc_;
    IFontProvider& fonts_;
    CImageCache& images_;
    UIScale scale_;
};

inline RECT ToRECT(const UIRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline UIRect ToUIRect(const RECT& r) { return UIRect{r.left, r.top, r.right, r.bottom}; }
