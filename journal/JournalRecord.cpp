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

bool IsDecimal(std::string_view s) {
    if (s.empty() || s.size() > 10) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return s.size() < 10 || s <= "4294967295";
}

bool IsLowerHex(std::string_view s) {
    if (s.size() % 2 != 0) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
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

// "<key>\<name>|<type>|<hex>": the value's old type and data follow its place.
std::string CheckOldValueRecord(std::string_view rest) {
    const std::size_t dataBar = rest.rfind('|');
    if (dataBar == std::string_view::npos) return "old value record without its data";
    const std::size_t typeBar = rest.rfind('|', dataBar == 0 ? 0 : dataBar - 1);
    if (typeBar == std::string_view::npos || typeBar == dataBar) return "old value record without its type";
    if (!IsDecimal(rest.substr(typeBar + 1, dataBar - typeBar - 1))) return "old value type is not a number";
    if (!IsLowerHex(rest.substr(dataBar + 1))) return "old value data is not hex";
    return CheckRegistryRecord('R', rest.substr(0, typeBar));
}

std::string CheckBackupRecord(std::string_view rest) {
    const std::size_t bar = rest.find('|');
    if (bar == std::string_view::npos) return "backup record without its backup";
    if (!IsAbsolutePath(rest.substr(0, bar)) || !IsAbsolutePath(rest.substr(bar + 1)))
        return "path is not absolute";
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

std::string BeginRecord(std::wstring_view installFolder) { return PathRecord('T', installFolder); }

std::string BackupRecord(std::wstring_view original, std::wstring_view backup) {
    std::string line = "B " + Utf16ToUtf8(original);
    line += '|';
    line += Utf16ToUtf8(backup);
    line += "\r\n";
    return line;
}

std::string OldValueRecord(std::uint32_t root, std::wstring_view keyPath, std::wstring_view valueName,
                           std::uint32_t type, std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line = ValueRecord(root, keyPath, valueName);
    line.replace(0, 1, "V");
    line.resize(line.size() - 2);  // the CR LF goes after the type and data
    line += '|' + std::to_string(type) + '|';
    for (unsigned char byte : data) {
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0xF];
    }
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
        case 'T':
            return IsAbsolutePath(rest) ? std::string() : "path is not absolute";
        case 'R':
        case 'r':
            return CheckRegistryRecord(line[0], rest);
        case 'B':
            return CheckBackupRecord(rest);
        case 'V':
            return CheckOldValueRecord(rest);
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
