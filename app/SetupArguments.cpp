#include "app/SetupArguments.h"

#include "app/ExitCodes.h"
#include "base/pure/DecimalText.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// `text` begins with `prefix` (written in capitals), ignoring the case of A-Z.
bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (UpperAscii(text[i]) != prefix[i]) return false;
    return true;
}

bool Is(std::wstring_view text, std::wstring_view name) { return text.size() == name.size() && StartsWith(text, name); }

std::wstring_view TrimEnd(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A folder given whole in double quotes, against the rule but plainly meant, is taken
// without them.
std::wstring_view WithoutQuotes(std::wstring_view text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') return text.substr(1, text.size() - 2);
    return text;
}

constexpr std::wstring_view kFolderSwitch = L"/D=";

// Takes one argument (quotes already dropped) into `a`; false when it is none of ours.
bool Take(std::wstring_view argument, SetupArguments& a) {
    if (Is(argument, L"/S")) {
        a.silent = true;
    } else if (Is(argument, L"/LOG")) {
        a.log = true;
        a.logFile.clear();
    } else if (StartsWith(argument, L"/LOG=")) {
        if (argument.size() == 5) return false;
        a.log = true;
        a.logFile = argument.substr(5);
    } else if (Is(argument, L"/NOAUTOSTART")) {
        a.noAutoStart = true;
    } else if (Is(argument, L"/NODESKTOPICON")) {
        a.noDesktopIcon = true;
    } else if (Is(argument, L"/LAUNCH")) {
        a.launch = true;
    } else if (Is(argument, L"/FORCECLOSE")) {
        a.forceClose = true;
    } else if (Is(argument, L"/?")) {
        a.help = true;
    } else if (StartsWith(argument, kFolderSwitch) && argument.size() > kFolderSwitch.size()) {
        a.folder = argument.substr(kFolderSwitch.size());  // "/D=..." quoted as a whole
    } else {
        return false;
    }
    return true;
}

}  // namespace

ParsedArguments ParseSetupArguments(std::wstring_view line) {
    ParsedArguments result;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) return result;
        const std::wstring_view rest = line.substr(i);
        if (StartsWith(rest, kFolderSwitch)) {
            // Everything up to the end of the line, blanks included, is the folder.
            const std::wstring_view folder = WithoutQuotes(TrimEnd(rest.substr(kFolderSwitch.size())));
            if (folder.empty()) {
                result.ok = false;
                result.wrong = std::wstring(TrimEnd(rest));
            } else {
                result.arguments.folder = std::wstring(folder);
            }
            return result;
        }
        // One argument: up to the next blank outside double quotes, the quotes dropped.
        std::wstring argument;
        bool quoted = false;
        const size_t start = i;
        for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
            if (line[i] == L'"') {
                quoted = !quoted;
            } else {
                argument += line[i];
            }
        }
        if (!Take(argument, result.arguments)) {
            result.ok = false;
            result.wrong = std::wstring(line.substr(start, i - start));
            return result;
        }
    }
}

std::wstring SetupUsageText() {
    std::wstring text =
        L"VexmoraSetup [/S] [/LOG[=file]] [/NOAUTOSTART] [/NODESKTOPICON] [/LAUNCH] [/FORCECLOSE] [/D=folder]\n"
        L"\n"
        L"/S\tinstall without any window or message\n"
        L"/D=folder\tthe install folder: the rest of the line, without quotes; last\n"
        L"/LOG[=file]\twrite a log (default: %TEMP%\\VexmoraSetup-<date>-<time>.log)\n"
        L"/NOAUTOSTART\tdo not start the client at log-on\n"
        L"/NODESKTOPICON\tno desktop shortcut\n"
        L"/LAUNCH\tstart the client when the install is done\n"
        L"/FORCECLOSE\tend a running client instead of stopping\n"
        L"/?\tthis list\n"
        L"\n"
        L"Exit codes:";
    for (const SetupExitMeaning& row : kSetupExits)
        text += (row.exit == SetupExit::Success ? L" " : L"; ") + DecimalText(ExitCodeOf(row.exit)) + L" " + row.summary;
    return text + L".";
}
