#include "ui/win/ImageDraw.h"
#include <algorithm>

namespace {
int Edge(int value, int low, int high) { return value < 0 ? high + value : low + value; }

RECT DestRect(const RECT& control, const ImageDescription& desc) {
    if (!desc.hasDest) return control;
    RECT r = {Edge(desc.dest.left, control.left, control.right), Edge(desc.dest.top, control.top, control.bottom),
              Edge(desc.dest.right, control.left, control.right), Edge(desc.dest.bottom, control.top, control.bottom)};
    RECT clipped = {};
    ::IntersectRect(&clipped, &r, &control);
    return clipped;
}

RECT SourceRect(const LoadedImage& image, const ImageDescription& desc) {
    RECT all = {0, 0, image.width, image.height};
    const UIRect& s = desc.source;
    if (s.left == 0 && s.top == 0 && s.right == 0 && s.bottom == 0) return all;
    RECT wanted = {s.left, s.top, s.right, s.bottom}, cut = {};
    ::IntersectRect(&cut, &wanted, &all);
    return cut;
}

void Blend(HDC dc, const RECT& d, HDC src, const RECT& s, BYTE alpha) {
    if (d.right <= d.left || d.bottom <= d.top || s.right <= s.left || s.bottom <= s.top) return;
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    ::AlphaBlend(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, src, s.left, s.top, s.right - s.left,
                 s.bottom - s.top, bf);
}

// Fills `d` with `s`, stretched or repeated along each axis.
void Fill(HDC dc, const RECT& d, HDC src, const RECT& s, BYTE alpha, bool xtiled, bool ytiled) {
    const int sw = s.right - s.left, sh = s.bottom - s.top;
    if (sw <= 0 || sh <= 0 || d.right <= d.left || d.bottom <= d.top) return;
    if (!xtiled && !ytiled) return Blend(dc, d, src, s, alpha);
    const int stepX = xtiled ? sw : d.right - d.left, stepY = ytiled ? sh : d.bottom - d.top;
    for (int y = d.top; y < d.bottom; y += stepY) {
        for (int x = d.left; x < d.right; x += stepX) {
            RECT piece = {x, y, std::min<int>(x + stepX, d.right), std::min<int>(y + stepY, d.bottom)};
            // A cut tile takes the matching part of the source, not a squeezed whole.
            RECT from = s;
            if (xtiled) from.right = s.left + (piece.right - piece.left);
            if (ytiled) from.bottom = s.top + (piece.bottom - piece.top);
            Blend(dc, piece, src, from, alpha);
        }
    }
}
}  // namespace

void DrawNineGrid(HDC dc, HDC imageDc, const RECT& d, const RECT& s, const RECT& c, BYTE alpha, bool hole,
                  bool xtiled, bool ytiled) {
    // Column and row edges of the destination and the source.
    const int dx[4] = {d.left, d.left + c.left, d.right - c.right, d.right};
    const int dy[4] = {d.top, d.top + c.top, d.bottom - c.bottom, d.bottom};
    const int sx[4] = {s.left, s.left + c.left, s.right - c.right, s.right};
    const int sy[4] = {s.top, s.top + c.top, s.bottom - c.bottom, s.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const bool centre = row == 1 && col == 1;
            if (centre && hole) continue;
            RECT to = {dx[col], dy[row], dx[col + 1], dy[row + 1]};
            RECT from = {sx[col], sy[row], sx[col + 1], sy[row + 1]};
            if (centre) Fill(dc, to, imageDc, from, alpha, xtiled, ytiled);
            else Blend(dc, to, imageDc, from, alpha);
        }
    }
}

bool DrawImageDescribed(HDC dc, const LoadedImage& image, const RECT& control, const RECT& paint,
                        const ImageDescription& desc) {
    const RECT dest = DestRect(control, desc);
    const RECT source = SourceRect(image, desc);
    RECT visible = {};
    if (::IsRectEmpty(&source) || !::IntersectRect(&visible, &dest, &paint)) return !::IsRectEmpty(&source);
    UniqueMemDC imageDc(::CreateCompatibleDC(dc));
    HGDIOBJ old = ::SelectObject(imageDc.get(), image.bitmap.get());
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
    const bool noCorner = desc.corner.left == 0 && desc.corner.top == 0 && desc.corner.right == 0 &&
                          desc.corner.bottom == 0;
    if (noCorner && !desc.hole) {
        Fill(dc, dest, imageDc.get(), source, desc.fade, desc.xtiled, desc.ytiled);
    } else {
        RECT corner = {desc.corner.left, desc.corner.top, desc.corner.right, desc.corner.bottom};
        DrawNineGrid(dc, imageDc.get(), dest, source, corner, desc.fade, desc.hole, desc.xtiled, desc.ytiled);
    }
    ::RestoreDC(dc, saved);
    ::SelectObject(imageDc.get(), old);
    return true;
}
