#pragma once
// High-quality resizing of a part of an image, as plain arithmetic: what the platform's
// stretching blit does with the nearest pixel, done here with a bicubic filter that is
// widened when shrinking (so every source pixel counts, as in an area average). Works
// on premultiplied 0xAARRGGBB pixels, which keeps transparent edges free of dark fringes.
#include <cstdint>
#include <vector>
#include "ui/pure/Geometry.h"

// The part `from` of an image (`pixels`, `stride` pixels a row, rows from the top, at
// least from.right by from.bottom) resized to `size`; the rows of the result are
// size.cx pixels long. Only `from` is read: its edge pixels repeat outward, so the
// neighbouring cells of a sprite never bleed in. Empty when `from` or `size` is empty.
std::vector<uint32_t> ResamplePixels(const uint32_t* pixels, int stride, const UIRect& from, UISize size);
