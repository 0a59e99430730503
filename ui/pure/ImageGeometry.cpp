#include "ui/pure/ImageGeometry.h"

#include <algorithm>
#include <cstdint>

namespace {

int Edge(int value, int low, int high) { return value < 0 ? high + value : low + value; }

// Pieces wholly outside the visible part would only be clipped away.
void Emit(const ImagePieceSink& sink, const UIRect& to, const UIRect& from, const UIRect& visible) {
    if (!to.empty() && !from.empty() && !UIIntersect(to, visible).empty()) sink(to, from);
}

// n * num / den, rounded to the nearest, halves away from zero.
int MulDivRound(int n, int num, int den) {
    const int64_t v = int64_t{n} * num;
    return static_cast<int>(v >= 0 ? (v + den / 2) / den : -((-v + den / 2) / den));
}

}  // namespace

int ImageScales::ToDevice(int imagePixels) const noexcept { return MulDivRound(imagePixels, window.dpi, image.dpi); }
int ImageScales::ToImage(int devicePixels) const noexcept { return MulDivRound(devicePixels, image.dpi, window.dpi); }

ImagePlan PlanImage(const UIRect& control, const UIRect& paint, UISize imageSize, const ImageDescription& desc,
                    const ImageScales& scales) {
    ImagePlan plan;
    plan.scales = scales;
    plan.dest = control;
    if (desc.hasDest) {
        const UIRect d = scales.window.Px(desc.dest);
        const UIRect wanted{Edge(d.left, control.left, control.right), Edge(d.top, control.top, control.bottom),
                            Edge(d.right, control.left, control.right), Edge(d.bottom, control.top, control.bottom)};
        plan.dest = UIIntersect(wanted, control);
    }
    const UIRect whole{0, 0, imageSize.cx, imageSize.cy};
    plan.source = desc.source == UIRect{} ? whole : UIIntersect(scales.image.Px(desc.source), whole);
    plan.visible = UIIntersect(plan.dest, paint);
    plan.destCorner = scales.window.Px(desc.corner);
    plan.sourceCorner = scales.image.Px(desc.corner);
    return plan;
}

void ForEachImagePiece(const ImagePlan& plan, const ImageDescription& desc, const ImagePieceSink& sink) {
    if (plan.source.empty() || plan.visible.empty()) return;
    if (desc.corner == UIRect{} && !desc.hole) {
        FillPieces(plan.dest, plan.source, desc.xtiled, desc.ytiled, plan.visible, sink, plan.scales);
    } else {
        NineGridPieces(plan.dest, plan.source, plan.destCorner, plan.sourceCorner, desc.hole, desc.xtiled, desc.ytiled,
                       plan.visible, sink, plan.scales);
    }
}

void FillPieces(const UIRect& d, const UIRect& s, bool xtiled, bool ytiled, const UIRect& visible,
                const ImagePieceSink& sink, const ImageScales& scales) {
    const int sw = s.width(), sh = s.height();
    if (sw <= 0 || sh <= 0 || d.empty()) return;
    if (!xtiled && !ytiled) return Emit(sink, d, s, visible);
    const UIRect shown = UIIntersect(d, visible);
    if (shown.empty()) return;
    // The tiles keep their grid from the destination's corner; the loops start at the
    // first tile that meets the visible part and stop after the last, so a small tile
    // over a large control costs what is painted, not the whole destination.
    const int64_t stepX = xtiled ? std::max(1, scales.ToDevice(sw)) : d.width();
    const int64_t stepY = ytiled ? std::max(1, scales.ToDevice(sh)) : d.height();
    const int64_t firstX = d.left + (shown.left - d.left) / stepX * stepX;
    const int64_t firstY = d.top + (shown.top - d.top) / stepY * stepY;
    for (int64_t y = firstY; y < shown.bottom; y += stepY) {
        for (int64_t x = firstX; x < shown.right; x += stepX) {
            const UIRect piece{static_cast<int>(x), static_cast<int>(y),
                               static_cast<int>(std::min<int64_t>(x + stepX, d.right)),
                               static_cast<int>(std::min<int64_t>(y + stepY, d.bottom))};
            UIRect from = s;
            if (xtiled && piece.width() < stepX) from.right = s.left + std::clamp(scales.ToImage(piece.width()), 1, sw);
            if (ytiled && piece.height() < stepY) from.bottom = s.top + std::clamp(scales.ToImage(piece.height()), 1, sh);
            Emit(sink, piece, from, visible);
        }
    }
}

void NineGridPieces(const UIRect& d, const UIRect& s, const UIRect& c, const UIRect& sc, bool hole, bool xtiled,
                    bool ytiled, const UIRect& visible, const ImagePieceSink& sink, const ImageScales& scales) {
    // Column and row edges of the destination and the source.
    const int dx[4] = {d.left, d.left + c.left, d.right - c.right, d.right};
    const int dy[4] = {d.top, d.top + c.top, d.bottom - c.bottom, d.bottom};
    const int sx[4] = {s.left, s.left + sc.left, s.right - sc.right, s.right};
    const int sy[4] = {s.top, s.top + sc.top, s.bottom - sc.bottom, s.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const bool centre = row == 1 && col == 1;
            if (centre && hole) continue;
            const UIRect to{dx[col], dy[row], dx[col + 1], dy[row + 1]};
            const UIRect from{sx[col], sy[row], sx[col + 1], sy[row + 1]};
            if (centre) FillPieces(to, from, xtiled, ytiled, visible, sink, scales);
            else Emit(sink, to, from, visible);
        }
    }
}
