#pragma once
#include <windows.h>
#include <initializer_list>
#include "ui/UIString.h"

// The string-table entry `id` of `instance` (at most 1022 characters), or `fallback` when
// the entry is missing or empty. Never fails.
CUIString LoadResString(HINSTANCE instance, UINT id, const wchar_t* fallback);

// LoadResString with every `placeholder` replaced by `value`.
CUIString FormatText(HINSTANCE instance, UINT id, const wchar_t* fallback,
                     const wchar_t* placeholder, const CUIString& value);

struct TextPlaceholder {
    const wchar_t* placeholder;  // "{need}"
    CUIString value;
};
// The same with several placeholders: every occurrence of each is replaced by its value,
// and no value is searched for placeholders in turn.
CUIString FormatText(HINSTANCE instance, UINT id, const wchar_t* fallback,
                     std::initializer_list<TextPlaceholder> values);
