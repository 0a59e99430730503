#include "journal/RunTransaction.h"

#include "journal/JournalParse.h"
#include "journal/JournalRecord.h"
#include "journal/JournalText.h"

#include <unordered_set>
#include <vector>

namespace journal {

RunSplit SplitAtRun(std::string_view text) {
    const JournalLines lines = SplitJournal(text);
    std::size_t begin = lines.records.size();
    for (std::size_t i = lines.records.size(); i-- > 0;) {
        if (lines.records[i].size() > 1 && lines.records[i][0] == 'T' && lines.records[i][1] == ' ') {
            begin = i;
            break;
        }
    }
    RunSplit split;
    split.pending = begin < lines.records.size();
    for (std::size_t i = 0; i < lines.records.size(); ++i) {
        std::string& part = i < begin ? split.before : split.run;
        part.append(lines.records[i]);
        part += "\r\n";
    }
    return split;
}

std::string FinishedRunRecords(std::string_view run) {
    std::vector<std::string> lines;
    for (const Record& record : Parse(run)) {
        if (!record.ok()) continue;
        switch (record.kind) {
            case RecordKind::Begin:
            case RecordKind::OldValue: break;
            case RecordKind::Backup: lines.push_back(FileRecord(record.path)); break;
            default: lines.push_back(std::string(record.text) + "\r\n"); break;
        }
    }
    // A record the run made twice (the application path, written first thing and again by
    // registration) keeps its last place, where an installation made once has it.
    std::unordered_set<std::string> later;
    std::vector<std::string> kept;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (later.insert(*line).second) kept.push_back(*line);
    std::string text;
    for (auto line = kept.rbegin(); line != kept.rend(); ++line) text += *line;
    return text;
}

}  // namespace journal
