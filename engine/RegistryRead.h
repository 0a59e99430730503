#pragma once
#include <windows.h>
#include "ui/UIString.h"

// Reads the REG_SZ value `valueName` of `root`\`key` (opened with KEY_READ in the
// 32-bit view, base/RegistryView.h) into `out`, up to its first NUL.
// Failure contract: any failure — missing key or value, a type other than REG_SZ
// (REG_EXPAND_SZ included), access denied — returns false and leaves `out` untouched.
[[nodiscard]] bool ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* valueName, CUIString& out);
