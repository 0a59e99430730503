#include "ui/GdiplusRender.h"
#include <algorithm>
#include <objidl.h>
#include <gdiplus.h>
#include "base/Handles.h"
#include "ui/win/GdiplusSession.h"
#include "ui/win/ImageDraw.h"

namespace {
Gdiplus::Color ToColor(UIColor c) {
    return Gdiplus::Color(static_cast<BYTE>(c >> 24), static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8),
                          static_cast<BYTE>(c));
}

void AddRoundRect(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float rx, float ry) {
    const float dx = std::min(rx, w), dy = std::min(ry, h);
    path.AddArc(x, y, dx, dy, 180, 90);
    path.AddArc(x + w - dx, y, dx, dy, 270, 90);
    path.AddArc(x + w - dx, y + h - dy, dx, dy, 0, 90);
    path.AddArc(x, y + h - dy, dx, dy, 90, 90);
    path.CloseFigure();
}

// GDI+ draws into a device context through a buffer as large as what it draws, which
// under Wine costs milliseconds for a window-sized rectangle at every paint. An opaque
// fill is GDI's own, with the same pixels.
void FillOpaque(HDC dc, const UIRect& rect, UIColor color) {
    const UniqueBrush brush(::CreateSolidBrush(RGB(static_cast<BYTE>(color >> 16), static_cast<BYTE>(color >> 8),
                                                   static_cast<BYTE>(color))));
    const RECT r = ToRECT(rect);
    if (brush) ::FillRect(dc, &r, brush.get());
}

// A square border is its `size` outer rows and columns of pixels, drawn as four strips
// (the side strips between the others, so that no corner pixel is blended twice); each
// strip's buffer is only as large as the strip.
void DrawSquareBorder(HDC dc, const UIRect& rect, int size, UIColor color) {
    const int top = std::min(size, rect.height()), bottom = std::min(size, rect.height() - top);
    const int left = std::min(size, rect.width()), right = std::min(size, rect.width() - left);
    const UIRect strips[] = {
        {rect.left, rect.top, rect.right, rect.top + top},
        {rect.left, rect.bottom - bottom, rect.right, rect.bottom},
        {rect.left, rect.top + top, rect.left + left, rect.bottom - bottom},
        {rect.right - right, rect.top + top, rect.right, rect.bottom - bottom},
    };
    const bool opaque = (color >> 24) == 0xFF;
    if (!opaque && !EnsureGdiplus()) return;
    for (const UIRect& strip : strips) {
        if (strip.empty()) continue;
        if (opaque) {
            FillOpaque(dc, strip, color);
        } else {
            Gdiplus::Graphics g(dc);
            Gdiplus::SolidBrush brush(ToColor(color));
            g.FillRectangle(&brush, strip.left, strip.top, strip.width(), strip.height());
        }
    }
}
}  // namespace

void CGdiplusRender::FillRect(const UIRect& rect, UIColor color) {
    if (rect.empty() || (color >> 24) == 0) return;
    if ((color >> 24) == 0xFF) {
        FillOpaque(dc_, rect, color);
        return;
    }
    if (!EnsureGdiplus()) return;
    Gdiplus::Graphics g(dc_);
    Gdiplus::SolidBrush brush(ToColor(color));
    g.FillRectangle(&brush, rect.left, rect.top, rect.width(), rect.height());
}

void CGdiplusRender::DrawBorder(const UIRect& rect, int size, UIColor color, UISize round) {
    if (rect.empty() || size <= 0 || (color >> 24) == 0) return;
    if (round.cx <= 0 && round.cy <= 0) {
        DrawSquareBorder(dc_, rect, size, color);
        return;
    }
    if (!EnsureGdiplus()) return;
    Gdiplus::Graphics g(dc_);
    Gdiplus::Pen pen(ToColor(color), static_cast<Gdiplus::REAL>(size));
    // The pen straddles its path and pixel centres lie on whole coordinates: a path
    // (size - 1) / 2 inside covers exactly the outer `size` pixels of rect.
    const float half = (size - 1) / 2.0f;
    const float x = rect.left + half, y = rect.top + half, w = rect.width() - 1 - 2 * half, h = rect.height() - 1 - 2 * half;
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, x, y, w, h, static_cast<float>(round.cx), static_cast<float>(round.cy));
    g.DrawPath(&pen, &path);
}

bool CGdiplusRender::DrawImage(const UIRect& controlRect, const UIRect& paintRect, const std::wstring& description) {
    if (description.empty()) return false;
    const ImageDescription desc = ParseImageDescription(description);
    auto image = images_.Get(desc, scale_.dpi);
    if (!image) return false;
    return DrawImageDescribed(dc_, *image, ToRECT(controlRect), ToRECT(paintRect), desc,
                              ImageScales{scale_, UIScale::ForDpi(image->dpi)});
}

void CGdiplusRender::DrawText(const UIRect& rect, const std::wstring& text, int font, UIColor color, unsigned style) {
    if (text.empty() || rect.empty()) return;
    RECT r = ToRECT(rect);
    HGDIOBJ old = ::SelectObject(dc_, fonts_.GetFont(font));
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextColor(dc_, RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    const int length = static_cast<int>(text.size());
    // GDI centres vertically only single lines; a label asks for the vertical centre
    // alone, so the text's own height places it. A line taller than the rectangle (the
    // font's leading and descent reach past a tight label) is centred on it all the same
    // and not clipped: what shows of the glyphs then is what the rectangle was meant for.
    UINT clip = 0;
    if ((style & (DT_VCENTER | DT_BOTTOM)) && !(style & DT_SINGLELINE)) {
        RECT measure = r;
        const int height = ::DrawTextW(dc_, text.c_str(), length, &measure, (style & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT | DT_NOPREFIX);
        const int free = (r.bottom - r.top) - height;
        r.top += (style & DT_BOTTOM) ? free : free / 2;
        if (free < 0) {
            r.bottom = r.top + height;
            clip = DT_NOCLIP;
        }
        style &= ~(DT_VCENTER | DT_BOTTOM);
    }
    ::DrawTextW(dc_, text.c_str(), length, &r, style | DT_NOPREFIX | clip);
    ::SelectObject(dc_, old);
}

UISize CGdiplusRender::MeasureText(const std::wstring& text, int font) {
    HGDIOBJ old = ::SelectObject(dc_, fonts_.GetFont(font));
    RECT r = {0, 0, 9999, 9999};
    ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc_, old);
    return UISize{r.right - r.left, r.bottom - r.top};
}
