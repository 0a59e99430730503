#include "ui/pure/ImageScale.h"

#include <algorithm>
#include <vector>

namespace {
constexpr unsigned kLargestScaledId = 4999;

std::wstring_view SuffixFor(int dpi) {
    switch (dpi) {
    case 144: return L"@1.5x";
    case 192: return L"@2x";
    default: return {};
    }
}
}  // namespace

std::optional<unsigned> ScaledImageId(unsigned id, int dpi) {
    if (dpi == kUIBaseDpi) return id;
    if (id == 0 || id > kLargestScaledId) return std::nullopt;
    switch (dpi) {
    case 144: return 15000 + id;
    case 192: return 20000 + id;
    default: return std::nullopt;
    }
}

std::wstring ScaledImageFile(std::wstring_view file, int dpi) {
    if (dpi == kUIBaseDpi) return std::wstring(file);
    const std::wstring_view suffix = SuffixFor(dpi);
    if (suffix.empty()) return {};
    // The extension is what follows the last dot of the last path element.
    const size_t slash = file.find_last_of(L"\\/");
    const size_t dot = file.rfind(L'.');
    const size_t at = dot != std::wstring_view::npos && (slash == std::wstring_view::npos || dot > slash) ? dot : file.size();
    std::wstring out(file.substr(0, at));
    out += suffix;
    out += file.substr(at);
    return out;
}

int ChooseImageDpi(int windowDpi, std::span<const int> available) {
    if (available.empty()) return kUIBaseDpi;
    int best = 0;
    for (int dpi : available)  // the same or the smallest larger
        if (dpi >= windowDpi && (best == 0 || dpi < best)) best = dpi;
    if (best != 0) return best;
    return *std::max_element(available.begin(), available.end());
}

std::vector<int> ImageDpiPreference(int windowDpi) {
    std::vector<int> left(std::begin(kUIImageDpis), std::end(kUIImageDpis));
    std::vector<int> order;
    while (!left.empty()) {
        const int next = ChooseImageDpi(windowDpi, left);
        order.push_back(next);
        left.erase(std::find(left.begin(), left.end(), next));
    }
    return order;
}
