#pragma once
// The framework's string: a UTF-16 string with the few conveniences the windows and the
// engine use. Pure C++ (no <windows.h>); wchar_t is 16 bits on the Windows target.
#include <string>
#include <string_view>

class CUIString : public std::wstring {
public:
    using std::wstring::wstring;
    CUIString() = default;
    CUIString(const std::wstring& s) : std::wstring(s) {}
    CUIString(std::wstring&& s) noexcept : std::wstring(std::move(s)) {}
    CUIString(std::wstring_view s) : std::wstring(s) {}

    const wchar_t* GetData() const noexcept { return c_str(); }
    int GetLength() const noexcept { return static_cast<int>(size()); }
    bool IsEmpty() const noexcept { return empty(); }
    void Empty() noexcept { clear(); }

    // Replaces every occurrence of `from` with `to`; the search resumes after each
    // inserted text, so a replacement that contains `from` is not expanded again.
    // Returns the number of replacements.
    int Replace(std::wstring_view from, std::wstring_view to) {
        if (from.empty()) return 0;
        int count = 0;
        for (size_type at = find(from); at != npos; at = find(from, at + to.size())) {
            replace(at, from.size(), to);
            ++count;
        }
        return count;
    }
};
