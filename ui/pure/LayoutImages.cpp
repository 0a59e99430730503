#include "ui/pure/LayoutImages.h"

#include <algorithm>
#include <array>
#include "ui/pure/ValueParse.h"

namespace {

// Images of states that a pointer or the keyboard brings about, which a window that has
// just opened seldom shows.
bool OfLaterState(const std::wstring& attribute) {
    constexpr std::array<std::wstring_view, 4> states = {L"hot", L"pushed", L"focused", L"disabled"};
    return std::any_of(states.begin(), states.end(), [&](std::wstring_view s) { return attribute.starts_with(s); });
}

void Collect(const XmlElement& element, bool laterStates, std::vector<std::wstring>& images) {
    const std::wstring* visible = element.Attribute(L"visible");
    if (visible != nullptr && !ParseBool(*visible)) return;
    for (const XmlAttribute& attribute : element.attributes) {
        if (!attribute.name.ends_with(L"image") || attribute.value.empty()) continue;
        if (OfLaterState(attribute.name) != laterStates) continue;
        if (std::find(images.begin(), images.end(), attribute.value) == images.end())
            images.push_back(attribute.value);
    }
    for (const XmlElement& child : element.children) Collect(child, laterStates, images);
}

}  // namespace

std::vector<std::wstring> ImagesShownAtOpen(const XmlElement& root) {
    std::vector<std::wstring> images;
    Collect(root, false, images);
    Collect(root, true, images);
    return images;
}
