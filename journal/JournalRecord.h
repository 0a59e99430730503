#pragma once
// The text of install journal records, kept free of <windows.h> so that it is tested
// directly and builds natively. A record is one line: a letter, a blank, for registry
// records the root as an unsigned decimal and a blank, the path text unchanged, CR LF;
// the line is stored as UTF-8.
//
// Wide strings are read as UTF-16 (wchar_t is 16 bits on the Windows target); a code
// unit above 0xFFFF, possible only where wchar_t is 32 bits, is taken as a code point.
#include <cstdint>
#include <string>
#include <string_view>
#include "base/pure/Utf.h"

namespace journal {

// Numeric values of the two predefined root keys the install writes under.
inline constexpr std::uint32_t kRootCurrentUser = 0x80000001u;   // 2147483649
inline constexpr std::uint32_t kRootLocalMachine = 0x80000002u;  // 2147483650

// Paths are stored as UTF-8 by the one conversion of base/pure/Utf.h.
using ::Utf16ToUtf8;
using ::Utf8ToUtf16;

std::string FolderRecord(std::wstring_view path);  // "D <path>\r\n"
std::string FileRecord(std::wstring_view path);    // "F <path>\r\n"
std::string ValueRecord(std::uint32_t root, std::wstring_view keyPath,
                        std::wstring_view valueName);                // "R <root> <key>\<name>\r\n"
std::string KeyRecord(std::uint32_t root, std::wstring_view keyPath);  // "r <root> <key>\r\n"

// Checking a decrypted journal (the reader's --check). Every line must end in CR LF,
// be valid UTF-8 without control characters, and be one of:
//   D|F <absolute path>          "X:\..." or "\\server\share..."
//   R <known root> <key>\<name>  key non-empty, not starting with a backslash
//   r <known root> <key>
struct JournalProblem {
    std::size_t line = 0;  // 1-based; 0 when the journal is well formed
    std::string reason;
};
// Returns the first problem; `line == 0` means every line is a well-formed record.
JournalProblem CheckJournalText(std::string_view text);
// Checks one line without its CR LF; returns the reason, or empty when well formed.
std::string CheckRecordLine(std::string_view line);

}  // namespace journal
