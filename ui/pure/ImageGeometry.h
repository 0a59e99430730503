#pragma once
// Where the pieces of a described image go, as plain arithmetic; the platform side only
// blends each piece. The keys: "dest" (inside the control; negative values count from the
// right and bottom edges; cut to the control), "source" (inside the image, cut to it; all
// zero is the whole image), "corner" (borders kept unscaled while the rest stretches),
// "hole" (the centre left out) and "xtiled"/"ytiled" (repeated instead of stretched).
//
// Two scales meet here. "dest" and the kept "corner" borders in the control count in
// markup pixels of the window, and become device pixels at the window's scale; "source"
// and "corner" inside the image count in pixels of the image the markup was written for,
// and an image drawn for another scale (ui/pure/ImageScale.h) holds that many more.
#include <functional>
#include "ui/pure/DpiScale.h"
#include "ui/pure/Geometry.h"
#include "ui/pure/ImageDescription.h"

struct ImageScales {
    UIScale window;  // the window's
    UIScale image;   // the one the loaded image was drawn for
    // Image pixels to device pixels, and back (rounded to the nearest).
    int ToDevice(int imagePixels) const noexcept;
    int ToImage(int devicePixels) const noexcept;
};

// One blit: `to` in the target from `from` in the image, stretched when their sizes
// differ. Pieces with an empty side, and pieces wholly outside the visible part, are
// never handed out.
using ImagePieceSink = std::function<void(const UIRect& to, const UIRect& from)>;

// An image of `imageSize` drawn by `desc` into `control` while `paint` is painted.
struct ImagePlan {
    UIRect dest;          // where the image goes (device pixels)
    UIRect source;        // what of the image is drawn (image pixels); empty: nothing can be drawn
    UIRect visible;       // the part of `dest` inside `paint`; drawing is clipped to it
    UIRect destCorner;    // the kept borders in `dest` (device pixels)
    UIRect sourceCorner;  // and in `source` (image pixels)
    ImageScales scales;
};
ImagePlan PlanImage(const UIRect& control, const UIRect& paint, UISize imageSize, const ImageDescription& desc,
                    const ImageScales& scales = {});

// Every piece of the plan: a fill of `dest`, or the nine cells of a corner stretch.
void ForEachImagePiece(const ImagePlan& plan, const ImageDescription& desc, const ImagePieceSink& sink);

// Fills `dest` with `source`, stretched or repeated along each axis. Tiles keep their
// grid from the corner of `dest` and are the source's size at the scales; only those that
// meet `visible` are handed out; a cut tile at the far edge takes the matching part of the
// source, not a squeezed whole.
void FillPieces(const UIRect& dest, const UIRect& source, bool xtiled, bool ytiled, const UIRect& visible,
                const ImagePieceSink& sink, const ImageScales& scales = {});

// The nine cells of `dest` and `source`, split by their corners: the corners and edges
// stretched, the centre filled as above (or left out with `hole`).
void NineGridPieces(const UIRect& dest, const UIRect& source, const UIRect& destCorner, const UIRect& sourceCorner,
                    bool hole, bool xtiled, bool ytiled, const UIRect& visible, const ImagePieceSink& sink,
                    const ImageScales& scales = {});
