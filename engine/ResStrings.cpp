#include "engine/ResStrings.h"

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
