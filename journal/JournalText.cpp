#include "journal/JournalText.h"

#include <unordered_set>

#include "journal/JournalParse.h"

namespace journal {

JournalLines SplitJournal(std::string_view text) {
    JournalLines lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string_view::npos; at = end + 2)
        lines.records.push_back(text.substr(at, end - at));
    lines.cutShort = text.substr(at);
    return lines;
}

std::string MergeJournals(std::string_view earlier, std::string_view later) {
    std::string merged;
    merged.reserve(earlier.size() + later.size());
    std::unordered_set<std::string_view> seen;
    for (std::string_view text : {earlier, later}) {
        for (std::string_view record : SplitJournal(text).records) {
            if (!seen.insert(record).second) continue;
            merged += record;
            merged += "\r\n";
        }
    }
    return merged;
}

std::string SelectRecords(std::string_view text, const std::vector<std::size_t>& lineNumbers) {
    const JournalLines lines = SplitJournal(text);
    std::vector<bool> chosen(lines.records.size(), false);
    for (std::size_t number : lineNumbers)
        if (number >= 1 && number <= chosen.size()) chosen[number - 1] = true;
    std::string selected;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (!chosen[i]) continue;
        selected += lines.records[i];
        selected += "\r\n";
    }
    return selected;
}

std::string RecordsNotIn(std::string_view text, std::string_view taken) {
    std::unordered_set<std::string_view> seen;
    for (std::string_view record : SplitJournal(taken).records) seen.insert(record);
    std::string kept;
    for (std::string_view record : SplitJournal(text).records) {
        if (!seen.insert(record).second) continue;
        kept += record;
        kept += "\r\n";
    }
    return kept;
}

std::vector<std::wstring> FolderRecordPaths(std::string_view text) {
    std::vector<std::wstring> folders;
    for (const Record& record : Parse(text))
        if (record.ok() && record.kind == RecordKind::Folder) folders.push_back(record.path);
    return folders;
}

}  // namespace journal
