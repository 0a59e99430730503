#include "engine/RunBackup.h"

#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "base/FinalPath.h"
#include "base/pure/DecimalText.h"

namespace {

// A run's backups are numbered from 1; a number taken by a file left over from an
// earlier run is passed over.
constexpr int kNumbersTried = 1000;

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Move(InstallState& state, const std::wstring& path, const std::wstring& backup) {
    const std::wstring from = ExpectedPlace(state, path), to = ExpectedPlace(state, backup);
    InstallJournal* journal = state.openJournal();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (from.empty() || to.empty() || !journal || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return MoveCheckedFile(path, from, backup, to, [&] { return journal->recordBackup(path, backup); });
}

}  // namespace

std::wstring ExpectedPlace(const InstallState& state, const std::wstring& path) {
    const std::wstring& folder = state.installPath;
    const bool inside = path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
                        SameFilePath(path.substr(0, folder.size()), folder);
    if (!inside) return ExpectedFinalPath(path);
    const std::wstring final = FinalPathOfPlace(folder);
    if (final.empty()) return {};
    return (final.back() == L'\\' ? final : final + L'\\') + path.substr(folder.size() + 1);
}

bool MoveAside(InstallState& state, const std::wstring& path) {
    const std::wstring folder = state.installPath + L"\\" + kRunBackupFolderName;
    if (!Exists(folder)) {
        InstallJournal* journal = state.openJournal();
        if (!journal || !journal->recordFolder(folder) || !::CreateDirectoryW(folder.c_str(), nullptr)) return false;
    }
    for (int tried = 0; tried < kNumbersTried; ++tried) {
        const std::wstring backup = folder + L"\\" + DecimalText(++state.backupsMade);
        if (Exists(backup)) continue;
        return Move(state, path, backup);
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return false;
}

bool MoveAsideTo(InstallState& state, const std::wstring& path, const std::wstring& backup) {
    return Move(state, path, backup);
}
