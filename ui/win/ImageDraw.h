#pragma once
// Draws a decoded image into a control's rectangle by the keys of its description: the
// pieces and where they go come from ui/pure/ImageGeometry.h; here they are blended with
// the description's "fade", clipped to the part being painted. A piece drawn at another
// size than its source is resized with high-quality filtering first (ui/pure/ImageResample.h),
// so images scaled to the window's DPI, and stretched ones, stay smooth.
#include <windows.h>
#include "ui/pure/ImageDescription.h"
#include "ui/pure/ImageGeometry.h"
#include "ui/win/ImageCache.h"

// Returns false when nothing could be drawn (empty source or destination). `scales`: the
// window's and the one the image was drawn for.
[[nodiscard]] bool DrawImageDescribed(HDC dc, LoadedImage& image, const RECT& control, const RECT& paint,
                                      const ImageDescription& desc, const ImageScales& scales = {});

// The plain nine-grid draw that the shadow window uses: `destCorner` in device pixels,
// `sourceCorner` in pixels of the image.
void DrawNineGrid(HDC dc, LoadedImage& image, const RECT& dest, const RECT& destCorner, const RECT& sourceCorner,
                  BYTE alpha);
