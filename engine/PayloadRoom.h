#pragma once
// Whether the payload fits below an install folder, and what it takes on disk there. Paths of MAX_PATH characters or more
// cannot be created without the long-path prefix, and the extraction skips a file it
// cannot create without a word (a file in use must not stop an install). A folder deep
// enough to push some payload files past that limit would give a partial install that
// looks complete, so the main window refuses such a folder up front, like one that cannot
// be created.
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>
#include "engine/DiskRoom.h"
#include "engine/Extraction.h"

// The longest entry name of a 7z archive, in UTF-16 units without the terminating zero;
// 0 when the archive cannot be opened. Never throws.
std::size_t LongestEntryName(PayloadBytes archive) noexcept;

// True when every entry of `archive`, and the install journal's files, fit below
// `folder` (joined with one backslash, as the extraction does) in fewer than MAX_PATH
// characters. An archive that cannot be opened counts as one without entries (the
// extraction reports it); the journal still has to fit.
bool PayloadFitsUnder(const std::wstring& folder, PayloadBytes archive) noexcept;
// The same for the program's own payload ("BIN" 227); a missing payload counts as fitting.
bool PayloadFitsUnder(const std::wstring& folder, HINSTANCE instance) noexcept;

// The unpacked size of every file entry of `archive` and the journal records its entries
// make; empty when the archive cannot be opened. Never throws.
PayloadFootprint ReadPayloadFootprint(PayloadBytes archive) noexcept;
// The same for the program's own payload ("BIN" 227); empty when it is missing.
PayloadFootprint ReadOwnPayloadFootprint(HINSTANCE instance) noexcept;

// The file entries of `archive`, each as a path below the install folder ("res\\x.dll",
// "\\" between the parts); empty when it cannot be opened. Never throws.
std::vector<std::wstring> PayloadFileNames(PayloadBytes archive) noexcept;
// The same for the program's own payload ("BIN" 227); empty when it is missing.
std::vector<std::wstring> OwnPayloadFileNames(HINSTANCE instance) noexcept;
