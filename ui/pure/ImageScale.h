#pragma once
// Images drawn for more than one scale, and which one a window draws.
//
// Markup names an image as it was drawn for 96 DPI (100 %): a resource id, a resource
// name or a file name. The same image drawn for another scale is found beside it:
//   - resource id N (1 to 4999): the same resource type, id 15000 + N at 150 % and
//     20000 + N at 200 % (so "PNG" 273 at 200 % is "PNG" 20273);
//   - a file (and, through the file's resource fallback, a named resource): "@1.5x" or
//     "@2x" before the extension ("res\shadow.png" at 200 % is "res\shadow@2x.png",
//     whose fallback resource is "RES_SHADOW_2X_PNG").
// Scales that an image lacks are simply not there: the window draws the best that is.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include "ui/pure/DpiScale.h"

// The scales images may be drawn for, as DPI: 100 %, 150 % and 200 %.
inline constexpr int kUIImageDpis[] = {96, 144, 192};

// The id of resource `id` drawn for `dpi`; nothing when the scheme has no such id (an id
// outside 1 to 4999, a DPI other than 144 and 192). 96 gives `id` itself.
std::optional<unsigned> ScaledImageId(unsigned id, int dpi);

// The file name of `file` drawn for `dpi` ("@1.5x", "@2x" before the extension); the
// name itself for 96, empty for a DPI without a suffix.
std::wstring ScaledImageFile(std::wstring_view file, int dpi);

// Of the scales an image is there in (`available`, DPI values, any order), the best for a
// window at `windowDpi`: the same scale, else the smallest larger one (shrinking keeps
// detail that enlarging cannot invent), else the largest. 96 when `available` is empty.
int ChooseImageDpi(int windowDpi, std::span<const int> available);

// The order in which to look for an image for a window at `windowDpi`: every scale of
// kUIImageDpis, best first by the rule above (so a caller takes the first that exists).
std::vector<int> ImageDpiPreference(int windowDpi);
