#include "engine/VersionOrder.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t kMaxPartDigits = 9;

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    return text;
}

// The numeric parts, or nothing when the text is not a dotted decimal version.
std::optional<std::vector<std::uint32_t>> Parts(std::wstring_view text) {
    text = Trimmed(text);
    if (text.empty()) return std::nullopt;
    std::vector<std::uint32_t> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find(L'.', start);
        const std::wstring_view part = text.substr(start, dot == std::wstring_view::npos ? dot : dot - start);
        if (part.empty() || part.size() > kMaxPartDigits) return std::nullopt;
        std::uint32_t value = 0;
        for (const wchar_t c : part) {
            if (c < L'0' || c > L'9') return std::nullopt;
            value = value * 10 + static_cast<std::uint32_t>(c - L'0');
        }
        parts.push_back(value);
        if (dot == std::wstring_view::npos) return parts;
        start = dot + 1;
    }
}

}  // namespace

VersionOrder CompareVersions(std::wstring_view installed, std::wstring_view setup) {
    const auto a = Parts(installed), b = Parts(setup);
    if (!a || !b) return VersionOrder::Unknown;
    const std::size_t count = a->size() > b->size() ? a->size() : b->size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t x = i < a->size() ? (*a)[i] : 0, y = i < b->size() ? (*b)[i] : 0;
        if (x != y) return x > y ? VersionOrder::Newer : VersionOrder::Older;
    }
    return VersionOrder::Same;
}
