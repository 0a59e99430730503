#pragma once
// Draws a decoded image into a control's rectangle by the keys of its description:
// "dest" (negative values count from the right/bottom edge; clipped to the control),
// "source" (cut to the image; all zero = whole image), "corner" (nine-grid stretch),
// "hole" (centre left out), "xtiled"/"ytiled" (repeat instead of stretch) and "fade".
#include <windows.h>
#include "ui/pure/ImageDescription.h"
#include "ui/win/ImageCache.h"

// Returns false when nothing could be drawn (empty source or destination).
bool DrawImageDescribed(HDC dc, const LoadedImage& image, const RECT& control, const RECT& paint,
                        const ImageDescription& desc);

// The plain nine-grid blit that the above and the shadow window share.
void DrawNineGrid(HDC dc, HDC imageDc, const RECT& dest, const RECT& source, const RECT& corner,
                  BYTE alpha, bool hole, bool xtiled, bool ytiled);
