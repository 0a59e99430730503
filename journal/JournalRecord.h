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

// The records of an install run that are not yet final (journal/RunTransaction.h): they
// say how to take the run back, and no finished installation's journal holds them.
// "T <install folder>": the run begins; every record after it is the run's.
std::string BeginRecord(std::wstring_view installFolder);
// "B <original>|<backup>": the file at `original` is moved to `backup` (written before
// the move); taking the run back moves it home, finishing the run deletes the backup.
std::string BackupRecord(std::wstring_view original, std::wstring_view backup);
// "V <root> <key>\<name>|<type>|<data as lower-case hex>": a registry value as it was
// before the run changed or deleted it; taking the run back writes it again.
std::string OldValueRecord(std::uint32_t root, std::wstring_view keyPath, std::wstring_view valueName,
                           std::uint32_t type, std::string_view data);

// Checking a decrypted journal (the reader's --check). Every line must end in CR LF,
// be valid UTF-8 without control characters, and be one of:
//   D|F|T <absolute path>        "X:\..." or "\\server\share..."
//   R <known root> <key>\<name>  key non-empty, not starting with a backslash
//   r <known root> <key>
//   B <absolute path>|<absolute path>
//   V <known root> <key>\<name>|<decimal type>|<lower-case hex, two digits a byte>
struct JournalProblem {
    std::size_t line = 0;  // 1-based; 0 when the journal is well formed
    std::string reason;
};
// Returns the first problem; `line == 0` means every line is a well-formed record.
JournalProblem CheckJournalText(std::string_view text);
// Checks one line without its CR LF; returns the reason, or empty when well formed.
std::string CheckRecordLine(std::string_view line);

}  // namespace journal
