#include "ui/win/ImageDraw.h"

#include "ui/GdiplusRender.h"

namespace {

// Selects an image's bitmap into a memory DC for as long as it lives.
class ImageDC {
public:
    ImageDC(HDC like, const LoadedImage& image) : dc_(::CreateCompatibleDC(like)) {
        if (dc_) old_ = ::SelectObject(dc_.get(), image.bitmap.get());
    }
    ~ImageDC() {
        if (dc_) ::SelectObject(dc_.get(), old_);
    }
    ImageDC(const ImageDC&) = delete;
    ImageDC& operator=(const ImageDC&) = delete;
    HDC get() const { return dc_.get(); }

private:
    UniqueMemDC dc_;
    HGDIOBJ old_ = nullptr;
};

// One piece: blended straight from the image when it keeps its size, else from a copy
// resized with high-quality filtering (the system's stretching blit only repeats or
// drops pixels). A piece too large to resize is stretched by the blit after all.
void BlendPiece(HDC dc, LoadedImage& image, HDC imageDc, const UIRect& to, const UIRect& from, BYTE alpha) {
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    if (to.width() != from.width() || to.height() != from.height()) {
        if (std::shared_ptr<LoadedImage> piece = image.Resized(from, UISize{to.width(), to.height()})) {
            ImageDC pieceDc(dc, *piece);
            ::AlphaBlend(dc, to.left, to.top, to.width(), to.height(), pieceDc.get(), 0, 0, to.width(), to.height(), bf);
            return;
        }
    }
    ::AlphaBlend(dc, to.left, to.top, to.width(), to.height(), imageDc, from.left, from.top, from.width(), from.height(),
                 bf);
}

}  // namespace

void DrawNineGrid(HDC dc, LoadedImage& image, const RECT& d, const RECT& destCorner, const RECT& sourceCorner,
                  BYTE alpha) {
    ImageDC imageDc(dc, image);
    const UIRect dest = ToUIRect(d);
    NineGridPieces(dest, UIRect{0, 0, image.width, image.height}, ToUIRect(destCorner), ToUIRect(sourceCorner), false,
                   false, false, dest,
                   [&](const UIRect& to, const UIRect& from) { BlendPiece(dc, image, imageDc.get(), to, from, alpha); });
}

bool DrawImageDescribed(HDC dc, LoadedImage& image, const RECT& control, const RECT& paint,
                        const ImageDescription& desc, const ImageScales& scales) {
    const ImagePlan plan =
        PlanImage(ToUIRect(control), ToUIRect(paint), UISize{image.width, image.height}, desc, scales);
    if (plan.source.empty() || plan.visible.empty()) return !plan.source.empty();
    ImageDC imageDc(dc, image);
    const int saved = ::SaveDC(dc);
    const UIRect& v = plan.visible;
    ::IntersectClipRect(dc, v.left, v.top, v.right, v.bottom);
    ForEachImagePiece(plan, desc, [&](const UIRect& to, const UIRect& from) {
        BlendPiece(dc, image, imageDc.get(), to, from, desc.fade);
    });
    ::RestoreDC(dc, saved);
    return true;
}
