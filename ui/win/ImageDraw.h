#pragma once
// Draws a decoded image into a control's rectangle by the keys of its description: the
// pieces and where they go come from ui/pure/ImageGeometry.h; here they are blended with
// the description's "fade", clipped to the part being painted.
#include <windows.h>
#include "ui/pure/ImageDescription.h"
#include "ui/win/ImageCache.h"

// Returns false when nothing could be drawn (empty source or destination).
[[nodiscard]] bool DrawImageDescribed(HDC dc, const LoadedImage& image, const RECT& control, const RECT& paint,
                        const ImageDescription& desc);

// The plain nine-grid blit that the above and the shadow window share.
void DrawNineGrid(HDC dc, HDC imageDc, const RECT& dest, const RECT& source, const RECT& corner,
                  BYTE alpha, bool hole, bool xtiled, bool ytiled);
