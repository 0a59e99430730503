#include "base/pure/Utf.h"

#include <cstddef>
#include <cstdint>

namespace {

void AppendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string Utf16ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<std::uint32_t>(text[i]);
        if (IsHighSurrogate(unit) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
            const auto low = static_cast<std::uint32_t>(text[++i]);
            AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit) || unit > 0x10FFFF) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, unit);
        }
    }
    return out;
}

namespace {

struct Sequence {
    std::size_t length;  // well formed: the whole sequence; else its maximal subpart (>= 1)
    bool wellFormed;
    std::uint32_t cp;    // when well formed
};

// The table of well-formed UTF-8 (Unicode, table 3-7): the lead byte fixes the length and
// the range of the second byte, which shuts out overlong forms, surrogates and values
// above U+10FFFF; every further byte is 80..BF.
Sequence ReadSequence(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return {1, true, lead};
    std::size_t length;
    std::uint32_t cp;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; cp = lead & 0x1F; }
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3; cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4; cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {1, false, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = at + i < text.size() ? byte(at + i) : 0;
        const bool fits = i == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
        if (!fits) return {i, false, 0};
        cp = (cp << 6) | (next & 0x3F);
    }
    return {length, true, cp};
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const Sequence sequence = ReadSequence(text, at);
    return sequence.wellFormed ? sequence.length : 0;
}

std::wstring Utf8ToUtf16(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Sequence sequence = ReadSequence(text, at);
        at += sequence.length;
        std::uint32_t cp = sequence.wellFormed ? sequence.cp : 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
    }
    return out;
}
