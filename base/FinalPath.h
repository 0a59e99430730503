#pragma once
// Where an open file or folder really is. A path checked by name can be swapped for a
// junction or link before it is used; a handle cannot: the setup and the uninstaller open
// first (without following a link at the last level) and compare where the handle leads
// with the path they meant, before they write or delete anything through it.
#include <windows.h>
#include <string>

// The path of `object` as the file system names it now, every link on the way resolved:
// "X:\..." (or "\\server\share\..."), without the "\\?\" prefix. Empty when the system
// cannot say (a volume without a drive letter, a file system that does not tell).
std::wstring FinalPathOf(HANDLE object);

// The call FinalPathOf asks (GetFinalPathNameByHandleW), for tests of what every check
// does when the system cannot say where a handle leads: this Wine always can. Returns the
// one in use before.
using FinalPathCall = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
FinalPathCall SetFinalPathCall(FinalPathCall call) noexcept;

// Where the existing file or folder `path` really is: FinalPathOf a handle opened through
// it, every link followed (the install folder may be reached through one the user chose).
// Empty when it cannot be opened or the system cannot say.
std::wstring FinalPathOfPlace(const std::wstring& path);

// The attributes of the open file or folder `object` (FILE_ATTRIBUTE_...): whether it is a
// link itself (FILE_ATTRIBUTE_REPARSE_POINT) or a folder. False when the system cannot
// say. (GetFileInformationByHandle answers the same and more, but asks for the volume's
// serial number too, which costs half a millisecond a call under Wine: a second for an
// install's files and their removal.)
bool AttributesOf(HANDLE object, DWORD& attributes);

// True when two paths name the same place as the file system compares names: ignoring
// case (Unicode simple case folding, not only A-Z).
bool SameFilePath(const std::wstring& a, const std::wstring& b);

// `path` as the system spells an existing place when no link is on the way: the full path
// (doubled separators, "." and ".." gone) with long names for short ones. Compared with
// FinalPathOf, it differs only where a link leads elsewhere. `path` itself when it cannot
// be worked out.
std::wstring PlainSpellingOf(const std::wstring& path);
