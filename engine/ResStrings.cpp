#include "engine/ResStrings.h"

#include <cwchar>
#include <iterator>

CUIString LoadResString(HINSTANCE instance, UINT id, const wchar_t* fallback) {
    // Room for 1023 characters with the terminating NUL: a longer entry is cut, not lost.
    wchar_t buffer[1023];
    const int length = ::LoadStringW(instance, id, buffer, static_cast<int>(std::size(buffer)));
    if (length <= 0) return CUIString(fallback ? fallback : L"");
    return CUIString(buffer, static_cast<size_t>(length));
}

CUIString FormatText(HINSTANCE instance, UINT id, const wchar_t* fallback,
                     const wchar_t* placeholder, const CUIString& value) {
    CUIString text = LoadResString(instance, id, fallback);
    text.Replace(placeholder, value);
    return text;
}

CUIString FormatText(HINSTANCE instance, UINT id, const wchar_t* fallback,
                     std::initializer_list<TextPlaceholder> values) {
    const CUIString pattern = LoadResString(instance, id, fallback);
    // Split at the placeholders first, so that no value is read as a later placeholder.
    CUIString text;
    for (size_t at = 0; at < pattern.size();) {
        const TextPlaceholder* found = nullptr;
        for (const TextPlaceholder& value : values) {
            const size_t length = std::wcslen(value.placeholder);
            if (length > 0 && pattern.compare(at, length, value.placeholder) == 0) found = &value;
        }
        if (found) {
            text += found->value;
            at += std::wcslen(found->placeholder);
        } else {
            text += pattern[at++];
        }
    }
    return text;
}
