#include "journal/JournalRecord.h"

#include "journal/JournalText.h"

namespace journal {
namespace {

std::string RootText(std::uint32_t root) { return std::to_string(root); }

std::string PathRecord(char letter, std::wstring_view path) {
    std::string line(1, letter);
    line += ' ';
    line += Utf16ToUtf8(path);
    line += "\r\n";
    return line;
}

std::string CheckText(std::string_view s) {
    for (std::size_t at = 0; at < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[at]);
        if (c < 0x20 || c == 0x7F) return "control character in the record";
        const std::size_t length = Utf8SequenceLength(s, at);
        if (length == 0) return "not valid UTF-8";
        at += length;
    }
    return {};
}

bool IsAbsolutePath(std::string_view p) {
    const bool drive = p.size() > 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
                       p[1] == ':' && p[2] == '\\';
    const bool unc = p.size() > 2 && p[0] == '\\' && p[1] == '\\' && p[2] != '\\';
    return drive || unc;
}

std::string CheckRegistryRecord(char letter, std::string_view rest) {
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return "registry record without a root";
    const std::string_view root = rest.substr(0, blank);
    if (root != RootText(kRootCurrentUser) && root != RootText(kRootLocalMachine))
        return "unknown registry root";
    const std::string_view key = rest.substr(blank + 1);
    if (key.empty() || key.front() == '\\') return "registry record without a key path";
    if (letter == 'R' && key.find('\\') == std::string_view::npos)
        return "registry value record without a value name";
    return {};
}

}  // namespace

std::string FolderRecord(std::wstring_view path) { return PathRecord('D', path); }
std::string FileRecord(std::wstring_view path) { return PathRecord('F', path); }

std::string ValueRecord(std::uint32_t root, std::wstring_view keyPath, std::wstring_view valueName) {
    std::string line = "R " + RootText(root) + " ";
    line += Utf16ToUtf8(keyPath);
    line += '\\';
    line += Utf16ToUtf8(valueName);
    line += "\r\n";
    return line;
}

std::string KeyRecord(std::uint32_t root, std::wstring_view keyPath) {
    std::string line = "r " + RootText(root) + " ";
    line += Utf16ToUtf8(keyPath);
    line += "\r\n";
    return line;
}

std::string CheckRecordLine(std::string_view line) {
    if (std::string text = CheckText(line); !text.empty()) return text;
    if (line.size() < 2 || line[1] != ' ') return "not a record";
    const std::string_view rest = line.substr(2);
    switch (line[0]) {
        case 'D':
        case 'F':
            return IsAbsolutePath(rest) ? std::string() : "path is not absolute";
        case 'R':
        case 'r':
            return CheckRegistryRecord(line[0], rest);
        default:
            return "unknown record letter";
    }
}

JournalProblem CheckJournalText(std::string_view text) {
    const JournalLines lines = SplitJournal(text);
    for (std::size_t i = 0; i < lines.records.size(); ++i)
        if (std::string reason = CheckRecordLine(lines.records[i]); !reason.empty()) return {i + 1, reason};
    if (!lines.cutShort.empty()) return {lines.records.size() + 1, "line not ended by CR LF"};
    return {};
}

}  // namespace journal
