#pragma once
// Turning journal text into records: the one reader that the undo planner, the setup and
// the tools use, on top of the one line splitter (journal/JournalText.h). Free of
// <windows.h>; never throws except out of memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace journal {

// D, F, R, r; and an unfinished run's T, B, V (journal/JournalRecord.h).
enum class RecordKind { Folder, File, Value, Key, Begin, Backup, OldValue };

struct Record {
    std::size_t line = 0;      // 1-based line of the journal
    std::string_view text;     // the line as it stands, without CR LF (points into the text)
    // Empty for a well-formed record; else why it is not one (journal/JournalRecord.h
    // CheckRecordLine), and the fields below are empty.
    std::string problem;
    RecordKind kind = RecordKind::File;
    std::wstring path;         // D, F, T: the path; B: the original; R, r, V: the key path below the root
    std::uint32_t root = 0;    // R, r, V: kRootCurrentUser or kRootLocalMachine
    std::wstring valueName;    // R, V: the value's name (after the key's last backslash)
    std::wstring backup;       // B: where the original was moved
    std::uint32_t valueType = 0;  // V: the old value's type (REG_SZ, REG_DWORD, ...)
    std::string data;             // V: the old value's bytes
    bool ok() const noexcept { return problem.empty(); }
};

// Every line of `text` in journal order, well formed or not; a last line not ended by
// CR LF (a write cut short) comes last, with a problem. The views point into `text`.
std::vector<Record> Parse(std::string_view text);

}  // namespace journal
