#pragma once
// From archive entry names to target paths. Pure: no <windows.h>, so it is tested alone.
#include <string_view>
#include "ui/UIString.h"

// False for a name that could land outside the install folder: one that starts with a
// separator ("/" or "\"), carries a ":" (a drive, or an alternate data stream), or has a
// component made only of dots and blanks with two dots or more ("..", "...", ".. "),
// which the file system resolves as, or trims down to, the parent folder.
bool IsSafeEntryName(std::wstring_view name);

// The install folder as stored, exactly one "\", then the name with every "/" made "\".
CUIString EntryTargetPath(const CUIString& folder, std::wstring_view name);

// The target path up to, not including, its last "\" (the whole path when it has none).
CUIString ParentFolder(const CUIString& path);
