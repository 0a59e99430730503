#include "Invocation.h"

#include "base/pure/ProductNames.h"
#include "journal/UndoPlan.h"
#include "base/pure/DecimalText.h"

namespace undo {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// What follows the program part: a quoted path up to its closing quote, an unquoted
// one up to the first blank; a line that starts with a blank has none.
std::wstring_view Arguments(std::wstring_view line) {
    if (!line.empty() && line.front() == L'"') {
        const std::size_t close = line.find(L'"', 1);
        return close == std::wstring_view::npos ? std::wstring_view() : line.substr(close + 1);
    }
    std::size_t at = 0;
    while (at < line.size() && !IsBlank(line[at])) ++at;
    return line.substr(at);
}

bool IsSafeInQuotes(const std::wstring& path) {
    for (wchar_t c : path)
        if (c < 0x20 || std::wstring_view(L"%\"!^*?").find(c) != std::wstring_view::npos) return false;
    return !path.empty();
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace

RunMode ReadRunMode(std::wstring_view commandLine) {
    std::wstring_view args = Arguments(commandLine);
    while (!args.empty() && IsBlank(args.front())) args.remove_prefix(1);
    while (!args.empty() && IsBlank(args.back())) args.remove_suffix(1);
    if (SameText(args, kUninstallForSetupArgument)) return RunMode::ForSetup;
    if (SameText(args, kUninstallQuietArgument)) return RunMode::Quiet;
    return RunMode::Interactive;
}

std::wstring CleanupCommand(const std::wstring& file, const std::vector<std::wstring>& folders, int tries,
                           const std::wstring& pingProgram) {
    if (!IsSafeInQuotes(file) || tries < 1 || !IsSafeInQuotes(pingProgram) || !IsPlainAbsolutePath(pingProgram))
        return {};
    std::wstring after;
    for (const std::wstring& folder : folders) {
        if (!IsSafeInQuotes(folder)) return {};
        after += L"rmdir " + Quoted(folder) + L" 2>nul & ";
    }
    // One attempt per turn: while the file is there, try to delete it and, when it is
    // still held by the running program, wait a second (ping is the one wait that every
    // cmd has); once it is gone, remove the folders and end.
    const std::wstring f = Quoted(file);
    return L"for /l %i in (1,1," + DecimalText(tries) + L") do (if exist " + f + L" (del /f /q " + f +
           L" 2>nul & if exist " + f + L" " + Quoted(pingProgram) + L" -n 2 127.0.0.1 >nul) else (" + after +
           L"exit))";
}

}  // namespace undo
