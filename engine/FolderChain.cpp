#include "engine/FolderChain.h"

#include <windows.h>
#include <shlwapi.h>
#include <algorithm>
#include "base/pure/PathRules.h"
#include "engine/FolderSecurity.h"
#include "base/pure/FolderSpelling.h"
#include "engine/InstallJournal.h"

namespace {

// Only "X:\..." is accepted: a relative path would land in whatever the current folder
// happens to be, and the journal would list names the uninstaller cannot resolve.
bool IsAbsoluteLocalPath(const std::wstring& path) {
    if (path.size() < 3) return false;
    const wchar_t drive = path[0];
    const bool letter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    return letter && path[1] == L':' && path[2] == L'\\';
}

// The longest folder path CreateDirectoryW takes without the long-path prefix (room is
// left for an 8.3 file name); beyond it some levels could be made and the rest not.
constexpr size_t kMaxFolderPathLength = MAX_PATH - 12 - 1;

// Names the file system would not keep as written: Windows drops trailing blanks and dots
// ("dir." becomes "dir", so the journal would name a folder that does not exist) and maps
// device names (CON, NUL, COM1.txt, ...) to devices in every folder; "." and ".." leave the
// chosen folder; a further ":" names a stream. Each is refused before anything is made.
// (base/pure/PathRules.h holds the rules.)
bool IsKeptAsWritten(const std::wstring& component) {
    if (component.empty()) return true;  // a doubled or trailing backslash: the level before it
    if (component == L"." || ClimbsOut(component)) return false;
    if (EndsInDotOrBlank(component)) return false;
    if (component.find(L':') != std::wstring::npos) return false;
    return !IsDeviceName(component);
}

bool IsCreatablePath(const std::wstring& path) {
    size_t length = path.size();
    if (path.back() == L'\\') --length;
    if (length > kMaxFolderPathLength) return false;
    for (size_t start = 3; start <= path.size();) {  // after "X:\"
        const size_t end = std::min(path.find(L'\\', start), path.size());
        if (!IsKeptAsWritten(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

// Creates `folder` unless something of that name exists; journals what it creates.
bool EnsureFolder(const std::wstring& folder, InstallJournal* journal) {
    if (::PathFileExistsW(folder.c_str())) return true;
    if (!CreateProtectedFolder(folder)) return false;
    if (journal && journal->isOpen()) journal->recordFolder(folder);
    return true;
}

// The levels of `path` that do not exist yet, outermost first: those below its deepest
// existing level.
std::vector<std::wstring> MissingLevels(const std::wstring& path) {
    std::vector<std::wstring> levels = FolderChainLevels(path);
    size_t existing = levels.size();
    while (existing > 0 && !::PathFileExistsW(levels[existing - 1].c_str())) --existing;
    levels.erase(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(existing));
    return levels;
}

// A chain that fails half way takes back what it made, innermost first and only what is
// empty, so that no run leaves, or hands on to the next, folders of a folder that was
// never installed. Always false: the result of the failed chain.
bool RemoveLevelsMade(const std::vector<std::wstring>& missing) {
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) ::RemoveDirectoryW(level->c_str());
    return false;
}

}  // namespace

bool CreateFolderChain(const std::wstring& path, InstallJournal* journal) {
    if (!IsFolderChainPath(path)) return false;
    const std::vector<std::wstring> missing = MissingLevels(path);
    for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        if (at >= 2 && path[at - 1] == L':') continue;  // a drive root is never created
        if (!EnsureFolder(path.substr(0, at), journal)) return RemoveLevelsMade(missing);
    }
    return EnsureFolder(path, journal) || RemoveLevelsMade(missing);
}

bool IsFolderChainPath(const std::wstring& path) {
    return IsAbsoluteLocalPath(path) && !HasForbiddenNameCharacter(path) && IsCreatablePath(path);
}

std::vector<std::wstring> FolderChainLevels(const std::wstring& path) {
    std::vector<std::wstring> levels;
    auto add = [&levels](std::wstring level) {
        while (level.size() > 3 && level.back() == L'\\') level.pop_back();
        if (level.size() <= 3 || (!levels.empty() && levels.back() == level)) return;
        levels.push_back(std::move(level));
    };
    for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        if (!(at >= 2 && path[at - 1] == L':')) add(path.substr(0, at));
    add(path);
    return levels;
}
