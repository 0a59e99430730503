#include "ui/pure/ValueParse.h"

#include <climits>
#include <cstdint>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Reads the next number of a comma-separated list and steps over one separator.
int NextListNumber(std::wstring_view text, size_t& at) {
    if (at >= text.size()) return 0;
    size_t used = 0;
    const int value = ParseInt(text.substr(at), &used);
    at += used;
    if (at < text.size()) ++at;  // the separator, whatever it is
    return value;
}

}  // namespace

int ParseInt(std::wstring_view text, size_t* end) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    const size_t digitsStart = i;
    int64_t value = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
        if (value <= int64_t{INT_MAX} + 1) value = value * 10 + (text[i] - L'0');
        ++i;
    }
    if (i == digitsStart) {  // no number: nothing was read
        if (end) *end = 0;
        return 0;
    }
    if (end) *end = i;
    if (negative) return value > int64_t{INT_MAX} ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

UIRect ParseRect(std::wstring_view text) {
    size_t at = 0;
    UIRect r;
    r.left = NextListNumber(text, at);
    r.top = NextListNumber(text, at);
    r.right = NextListNumber(text, at);
    r.bottom = NextListNumber(text, at);
    return r;
}

UISize ParseSize(std::wstring_view text) {
    size_t at = 0;
    UISize s;
    s.cx = NextListNumber(text, at);
    s.cy = NextListNumber(text, at);
    return s;
}

UIColor ParseColor(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && text[i] == L'#') ++i;
    uint64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<unsigned>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu;  // saturates like the C library
    }
    return static_cast<UIColor>(value);
}

bool ParseBool(std::wstring_view text) { return text == L"true"; }

UIResourceId ParseResourceId(std::wstring_view text) {
    UIResourceId result;
    if (text.empty()) return result;
    uint32_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return result;
        if (value <= 0xFFFF) value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    result.numeric = true;
    if (value <= 0xFFFF) result.id = static_cast<uint16_t>(value);
    return result;
}

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(std::wstring_view list) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    size_t i = 0;
    for (;;) {
        while (i < list.size() && IsBlank(list[i])) ++i;
        if (i >= list.size()) break;
        const size_t nameStart = i;
        while (i < list.size() && list[i] != L'=' && !IsBlank(list[i])) ++i;
        std::wstring name(list.substr(nameStart, i - nameStart));
        while (i < list.size() && IsBlank(list[i])) ++i;
        if (i >= list.size() || list[i] != L'=') break;
        ++i;
        while (i < list.size() && IsBlank(list[i])) ++i;
        if (i >= list.size() || list[i] != L'"') break;
        const size_t valueStart = ++i;
        while (i < list.size() && list[i] != L'"') ++i;
        if (i >= list.size()) break;
        pairs.emplace_back(std::move(name), std::wstring(list.substr(valueStart, i - valueStart)));
        ++i;
    }
    return pairs;
}
