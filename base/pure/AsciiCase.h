#pragma once
// Case folding as the system applies it to file, program and registry names it compares
// ordinally: only the letters A-Z fold. Free of <windows.h>.
#include <cstddef>
#include <string_view>

constexpr wchar_t FoldAscii(wchar_t c) noexcept {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

constexpr wchar_t UpperAscii(wchar_t c) noexcept {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// `a` and `b` are the same text but for the case of A-Z.
constexpr bool SameTextIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}
