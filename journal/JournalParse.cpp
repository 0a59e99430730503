#include "journal/JournalParse.h"

#include "journal/JournalRecord.h"
#include "journal/JournalText.h"

namespace journal {
namespace {

Record Read(std::size_t number, std::string_view line) {
    Record record;
    record.line = number;
    record.text = line;
    record.problem = CheckRecordLine(line);
    if (!record.ok()) return record;
    const std::wstring rest = Utf8ToUtf16(line.substr(2));
    switch (line[0]) {
        case 'D': record.kind = RecordKind::Folder; record.path = rest; return record;
        case 'F': record.kind = RecordKind::File; record.path = rest; return record;
        default: break;
    }
    // CheckRecordLine has made sure of a known root, a blank and a key (and for R a name).
    const std::size_t blank = rest.find(L' ');
    record.root = rest.substr(0, blank) == L"2147483650" ? kRootLocalMachine : kRootCurrentUser;
    record.path = rest.substr(blank + 1);
    if (line[0] == 'r') {
        record.kind = RecordKind::Key;
    } else {
        record.kind = RecordKind::Value;
        const std::size_t split = record.path.rfind(L'\\');
        record.valueName = record.path.substr(split + 1);
        record.path.resize(split);
    }
    return record;
}

}  // namespace

std::vector<Record> Parse(std::string_view text) {
    const JournalLines lines = SplitJournal(text);
    std::vector<Record> records;
    records.reserve(lines.records.size() + 1);
    for (std::size_t i = 0; i < lines.records.size(); ++i) records.push_back(Read(i + 1, lines.records[i]));
    if (!lines.cutShort.empty()) {
        Record cut;
        cut.line = lines.records.size() + 1;
        cut.text = lines.cutShort;
        cut.problem = "line not ended by CR LF";
        records.push_back(std::move(cut));
    }
    return records;
}

}  // namespace journal
