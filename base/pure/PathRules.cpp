#include "base/pure/PathRules.h"

#include <algorithm>

#include <array>
#include "base/pure/AsciiCase.h"

bool HasForbiddenNameCharacter(std::wstring_view text) noexcept {
    for (const wchar_t c : text)
        if (c < 0x20 || std::wstring_view(L"<>\"|?*").find(c) != std::wstring_view::npos) return true;
    return false;
}

bool IsDeviceName(std::wstring_view component) noexcept {
    std::wstring_view base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    static constexpr std::array<std::wstring_view, 6> kNames = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"};
    for (const std::wstring_view name : kNames)
        if (SameTextIgnoringAsciiCase(base, name)) return true;
    if (base.size() != 4 || !(SameTextIgnoringAsciiCase(base.substr(0, 3), L"com") ||
                              SameTextIgnoringAsciiCase(base.substr(0, 3), L"lpt")))
        return false;
    const wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

bool EndsInDotOrBlank(std::wstring_view component) noexcept {
    return !component.empty() && (component.back() == L'.' || component.back() == L' ');
}

bool ClimbsOut(std::wstring_view component) noexcept {
    const bool dotsAndBlanks =
        std::all_of(component.begin(), component.end(), [](wchar_t c) { return c == L'.' || c == L' '; });
    return dotsAndBlanks && std::count(component.begin(), component.end(), L'.') >= 2;
}
