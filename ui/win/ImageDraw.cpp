#include "ui/win/ImageDraw.h"

#include "ui/GdiplusRender.h"
#include "ui/pure/ImageGeometry.h"

namespace {
void Blend(HDC dc, const UIRect& d, HDC src, const UIRect& s, BYTE alpha) {
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    ::AlphaBlend(dc, d.left, d.top, d.width(), d.height(), src, s.left, s.top, s.width(), s.height(), bf);
}
}  // namespace

void DrawNineGrid(HDC dc, HDC imageDc, const RECT& d, const RECT& s, const RECT& c, BYTE alpha, bool hole,
                  bool xtiled, bool ytiled) {
    const UIRect dest = ToUIRect(d);
    NineGridPieces(dest, ToUIRect(s), ToUIRect(c), hole, xtiled, ytiled, dest,
                   [&](const UIRect& to, const UIRect& from) { Blend(dc, to, imageDc, from, alpha); });
}

bool DrawImageDescribed(HDC dc, const LoadedImage& image, const RECT& control, const RECT& paint,
                        const ImageDescription& desc) {
    const ImagePlan plan = PlanImage(ToUIRect(control), ToUIRect(paint), UISize{image.width, image.height}, desc);
    if (plan.source.empty() || plan.visible.empty()) return !plan.source.empty();
    UniqueMemDC imageDc(::CreateCompatibleDC(dc));
    HGDIOBJ old = ::SelectObject(imageDc.get(), image.bitmap.get());
    const int saved = ::SaveDC(dc);
    const UIRect& v = plan.visible;
    ::IntersectClipRect(dc, v.left, v.top, v.right, v.bottom);
    ForEachImagePiece(plan, desc, [&](const UIRect& to, const UIRect& from) {
        Blend(dc, to, imageDc.get(), from, desc.fade);
    });
    ::RestoreDC(dc, saved);
    ::SelectObject(imageDc.get(), old);
    return true;
}
