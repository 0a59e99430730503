#include "engine/FolderChain.h"

#include <windows.h>
#include <shlwapi.h>
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

// Creates `folder` unless something of that name exists; journals what it creates.
bool EnsureFolder(const std::wstring& folder, InstallJournal* journal) {
    if (::PathFileExistsW(folder.c_str())) return true;
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) return false;
    if (journal && journal->isOpen()) journal->recordFolder(folder);
    return true;
}

}  // namespace

bool CreateFolderChain(const std::wstring& path, InstallJournal* journal) {
    if (!IsAbsoluteLocalPath(path)) return false;
    for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        if (at >= 2 && path[at - 1] == L':') continue;  // a drive root is never created
        if (!EnsureFolder(path.substr(0, at), journal)) return false;
    }
    return EnsureFolder(path, journal);
}
