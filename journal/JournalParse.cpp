#include "journal/JournalParse.h"

#include "journal/JournalRecord.h"
#include "journal/JournalText.h"

namespace journal {
namespace {

int HexDigit(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

// CheckRecordLine has made sure of the two bars and of the hex.
void ReadOldValue(std::string_view tail, Record& record) {
    const std::size_t dataBar = tail.rfind('|');
    const std::size_t typeBar = tail.rfind('|', dataBar - 1);
    for (std::size_t at = typeBar + 1; at < dataBar; ++at) record.valueType = record.valueType * 10 + (tail[at] - '0');
    for (std::size_t at = dataBar + 1; at + 1 < tail.size(); at += 2)
        record.data += static_cast<char>(HexDigit(tail[at]) * 16 + HexDigit(tail[at + 1]));
}

Record Read(std::size_t number, std::string_view line) {
    Record record;
    record.line = number;
    record.text = line;
    record.problem = CheckRecordLine(line);
    if (!record.ok()) return record;
    std::string_view body = line.substr(2);
    if (line[0] == 'V') {
        ReadOldValue(body, record);
        body = body.substr(0, body.rfind('|', body.rfind('|') - 1));
    }
    const std::wstring rest = Utf8ToUtf16(body);
    switch (line[0]) {
        case 'D': record.kind = RecordKind::Folder; record.path = rest; return record;
        case 'F': record.kind = RecordKind::File; record.path = rest; return record;
        case 'T': record.kind = RecordKind::Begin; record.path = rest; return record;
        case 'B': {
            const std::size_t bar = rest.find(L'|');
            record.kind = RecordKind::Backup;
            record.path = rest.substr(0, bar);
            record.backup = rest.substr(bar + 1);
            return record;
        }
        default: break;
    }
    // CheckRecordLine has made sure of a known root, a blank and a key (and for R a name).
    const std::size_t blank = rest.find(L' ');
    record.root = rest.substr(0, blank) == L"2147483650" ? kRootLocalMachine : kRootCurrentUser;
    record.path = rest.substr(blank + 1);
    if (line[0] == 'r') {
        record.kind = RecordKind::Key;
    } else {
        record.kind = line[0] == 'V' ? RecordKind::OldValue : RecordKind::Value;
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
