#pragma once
// Reading the text of an install journal back, and joining two journals into one. Free
// of <windows.h>; shared by the setup, the client's uninstaller and the journal reader,
// so that a journal's lines are split in one place only.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace journal {

struct JournalLines {
    // Each line ended by CR LF, without it, in journal order; line n of the journal is
    // records[n - 1].
    std::vector<std::string_view> records;
    // What follows the last CR LF: a line whose write was cut short (a process ended, or
    // a disk filled, mid-record). It is not a record: the path it names may be a prefix of
    // the one meant. Empty for a whole journal.
    std::string_view cutShort;
};

// Splits `text`; the views point into it.
JournalLines SplitJournal(std::string_view text);

// One journal from two copies of the same installation's records (the encrypted journal
// and the plain one beside it, or the journal of an earlier run and that of this one):
// the records of `earlier`, then those of `later`, each record once, at the place of its
// first occurrence, every line ended by CR LF. Cut-short lines are left out. A record
// that both hold keeps its earlier place: undoing goes newest first, so a folder stays
// behind the files that a later run put into it again.
std::string MergeJournals(std::string_view earlier, std::string_view later);

// The records at the given line numbers (1-based, as SplitJournal counts them), in journal
// order, each once, every line ended by CR LF. Numbers without a record are passed over.
std::string SelectRecords(std::string_view text, const std::vector<std::size_t>& lineNumbers);

// The records of `text` that `taken` does not hold, in journal order, each once, every
// line ended by CR LF; cut-short lines are left out.
std::string RecordsNotIn(std::string_view text, std::string_view taken);

// The paths of the folder records ("D <path>"), in journal order, as UTF-16.
std::vector<std::wstring> FolderRecordPaths(std::string_view text);

}  // namespace journal
