#pragma once
#include <windows.h>
#include "ui/UIString.h"

// The string-table entry `id` of `instance` (at most 1022 characters), or `fallback` when
// the entry is missing or empty. Never fails.
CUIString LoadResString(HINSTANCE instance, UINT id, const wchar_t* fallback);

// LoadResString with every `placeholder` replaced by `value`.
CUIString FormatText(HINSTANCE instance, UINT id, const wchar_t* fallback,
                     const wchar_t* placeholder, const CUIString& value);
