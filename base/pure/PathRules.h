#pragma once
// The rules of Windows file names that hold whatever folder a name stands in, in one
// table for everything that makes or judges a path: the folder chain before it creates,
// the uninstaller's planner before it removes. Free of <windows.h>.
#include <string_view>

// True when `text` holds a character that no Windows file name may hold:
// < > " | ? * or a control character (below U+0020).
bool HasForbiddenNameCharacter(std::wstring_view text) noexcept;

// True for a name the system opens as a device in every folder: CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM0-9 and LPT0-9 (also with the superscript digits 1-3), in any case
// of A-Z, also followed by blanks or by an extension ("nul.txt", "COM1 .log").
bool IsDeviceName(std::wstring_view component) noexcept;

// True when `component` is dots and blanks only, with at least two dots ("..", "...",
// ".. "): the file system drops trailing dots and blanks, so it may name the folder
// above, and a path through it is taken as leaving the folder it is written under.
bool ClimbsOut(std::wstring_view component) noexcept;

// True when the file system would drop the end of `component`: it removes trailing dots
// and blanks, so "dir." and "dir " name "dir".
bool EndsInDotOrBlank(std::wstring_view component) noexcept;
