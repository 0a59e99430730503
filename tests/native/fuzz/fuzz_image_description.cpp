// Image descriptions and the other markup values on arbitrary text. A description whose
// names hold no apostrophe must survive formatting and parsing again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include "ui/pure/ImageDescription.h"
#include "ui/pure/ValueParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    const ImageDescription d = ParseImageDescription(text);
    if (d.file.find(L'\'') == std::wstring::npos && d.resType.find(L'\'') == std::wstring::npos) {
        if (!(ParseImageDescription(FormatImageDescription(d)) == d)) abort();
    }
    (void)ParseRect(text);
    (void)ParseSize(text);
    (void)ParseColor(text);
    (void)ParseAttributeList(text);
    (void)Utf16ToUtf8(text);
    return 0;
}
