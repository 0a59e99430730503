// The image-drawing arithmetic on arbitrary descriptions, over controls, painted parts and
// image sizes from the ordinary to the far edge of the layouts' extent: every piece handed
// out is non-empty and meets the painted part, and a tiled fill costs what is painted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include "ui/pure/ImageDescription.h"
#include "ui/pure/ImageGeometry.h"
#include "ui/pure/ValueParse.h"

namespace {

struct Geometry {
    UIRect control, paint;
    UISize image;
};

constexpr int E = kUIMaxExtent;
const Geometry kGeometries[] = {
    {{0, 0, 580, 400}, {0, 0, 580, 400}, {60, 24}},
    {{40, 300, 540, 320}, {100, 0, 200, 400}, {540, 20}},
    {{10, 10, 20, 20}, {0, 0, 580, 400}, {1, 1}},
    {{-E, -E, E, E}, {0, 0, 160, 90}, {1, 2}},
    {{E - 50, E - 50, E, E}, {E - 60, E - 60, E, E}, {4096, 4096}},
    {{0, 0, 100, 100}, {200, 200, 300, 300}, {10, 10}},  // not painted
    {{0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0}},        // no image
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    const ImageDescription desc = ParseImageDescription(text);
    for (const Geometry& g : kGeometries) {
        const ImagePlan plan = PlanImage(g.control, g.paint, g.image, desc);
        if (!plan.visible.empty() && UIIntersect(plan.visible, g.paint) != plan.visible) abort();
        const int64_t area = int64_t{plan.visible.width() + 2} * (plan.visible.height() + 2);
        int64_t pieces = 0;
        ForEachImagePiece(plan, desc, [&](const UIRect& to, const UIRect& from) {
            if (to.empty() || from.empty() || UIIntersect(to, plan.visible).empty()) abort();
            if (++pieces > area + 9) abort();  // at most one piece per painted pixel, and the nine cells
        });
    }
    return 0;
}
