// The markup reader on arbitrary bytes: it must stop with one of its messages, at an
// offset inside the input, and never read outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include "ui/pure/XmlParser.h"

namespace {
size_t CountElements(const XmlElement& e) {
    size_t n = 1;
    for (const XmlElement& child : e.children) n += CountElements(child);
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const XmlDocument doc = ParseXml(text);
    if (doc.ok) {
        if (CountElements(doc.root) == 0 || doc.root.name.empty()) abort();
    } else {
        if (doc.message.empty() || doc.offset > size || doc.line < 1) abort();
        (void)doc.Describe();
    }
    return 0;
}
