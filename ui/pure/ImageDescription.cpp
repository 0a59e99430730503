#include "ui/pure/ImageDescription.h"

#include <algorithm>
#include "ui/pure/ValueParse.h"
#include "base/pure/DecimalText.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

void SkipBlanks(std::wstring_view text, size_t& i) {
    while (i < text.size() && IsBlank(text[i])) ++i;
}

void ApplyPair(ImageDescription& d, std::wstring_view key, std::wstring_view value) {
    if (key == L"file" || key == L"res") d.file = std::wstring(value);
    else if (key == L"restype") d.resType = std::wstring(value);
    else if (key == L"dest") { d.dest = UIClampRect(ParseRect(value)); d.hasDest = true; }
    else if (key == L"source") d.source = UIClampRect(ParseRect(value));
    else if (key == L"corner") d.corner = UIClampRect(ParseRect(value));
    else if (key == L"mask") d.mask = ParseColor(value);
    else if (key == L"fade") d.fade = static_cast<unsigned char>(std::clamp(ParseInt(value), 0, 255));
    else if (key == L"hole") d.hole = ParseBool(value);
    else if (key == L"xtiled") d.xtiled = ParseBool(value);
    else if (key == L"ytiled") d.ytiled = ParseBool(value);
}

std::wstring RectText(const UIRect& r) {
    return DecimalText(r.left) + L',' + DecimalText(r.top) + L',' + DecimalText(r.right) + L',' +
           DecimalText(r.bottom);
}

}  // namespace

ImageDescription ParseImageDescription(std::wstring_view text) {
    ImageDescription d;
    // Until a "file" or "res" pair says otherwise the whole text names the image, so a
    // bare file name needs no key.
    d.file = std::wstring(text);
    size_t i = 0;
    for (;;) {
        SkipBlanks(text, i);
        if (i >= text.size()) break;
        const size_t keyStart = i;
        while (i < text.size() && text[i] != L'=' && !IsBlank(text[i])) ++i;
        const std::wstring_view key = text.substr(keyStart, i - keyStart);
        SkipBlanks(text, i);
        if (i >= text.size() || text[i] != L'=') break;
        ++i;
        SkipBlanks(text, i);
        if (i >= text.size() || text[i] != L'\'') break;
        const size_t valueStart = ++i;
        while (i < text.size() && text[i] != L'\'') ++i;
        if (i >= text.size()) break;  // no closing apostrophe: the earlier pairs stay
        ApplyPair(d, key, text.substr(valueStart, i - valueStart));
        ++i;
    }
    return d;
}

std::wstring FormatImageDescription(const ImageDescription& d) {
    std::wstring out = L"file='" + d.file + L"'";
    if (!d.resType.empty()) out += L" restype='" + d.resType + L"'";
    if (d.hasDest) out += L" dest='" + RectText(d.dest) + L"'";
    if (d.source != UIRect{}) out += L" source='" + RectText(d.source) + L"'";
    if (d.corner != UIRect{}) out += L" corner='" + RectText(d.corner) + L"'";
    if (d.mask != 0) {
        wchar_t hex[16];
        static const wchar_t digits[] = L"0123456789ABCDEF";
        for (int k = 0; k < 8; ++k) hex[k] = digits[(d.mask >> (28 - 4 * k)) & 0xF];
        out += L" mask='#" + std::wstring(hex, 8) + L"'";
    }
    if (d.fade != 255) out += L" fade='" + DecimalText(d.fade) + L"'";
    if (d.hole) out += L" hole='true'";
    if (d.xtiled) out += L" xtiled='true'";
    if (d.ytiled) out += L" ytiled='true'";
    return out;
}
