#include "journal/JournalRecord.h"

#include "journal/JournalText.h"

namespace journal {
namespace {

void AppendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string RootText(std::uint32_t root) { return std::to_string(root); }

std::string PathRecord(char letter, std::wstring_view path) {
    std::string line(1, letter);
    line += ' ';
    line += Utf16ToUtf8(path);
    line += "\r\n";
    return line;
}

// Length of the UTF-8 sequence starting at `at`, or 0 when it is not well formed
// (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t SequenceLength(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    std::size_t length;
    std::uint32_t cp;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; cp = lead & 0x1F; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; cp = lead & 0x0F; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; cp = lead & 0x07; }
    else return 0;
    if (at + length > s.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000)) return 0;
    if (cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) return 0;
    return length;
}

std::string CheckText(std::string_view s) {
    for (std::size_t at = 0; at < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[at]);
        if (c < 0x20 || c == 0x7F) return "control character in the record";
        const std::size_t length = SequenceLength(s, at);
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

std::string Utf16ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<std::uint32_t>(text[i]);
        if (IsHighSurrogate(unit) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
            const auto low = static_cast<std::uint32_t>(text[++i]);
            AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit) || unit > 0x10FFFF) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, unit);
        }
    }
    return out;
}

std::wstring Utf8ToUtf16(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        std::uint32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool ok = length != 0 && at + length <= text.size();
        for (std::size_t i = 1; ok && i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(text[at + i]);
            ok = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += static_cast<wchar_t>(0xFFFD);
            at += 1;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
        at += length;
    }
    return out;
}

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
