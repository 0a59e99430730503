#pragma once
// Files that an install run moves aside instead of replacing or deleting them
// (journal/RunTransaction.h): an earlier installation's file that a payload file replaces,
// a shortcut that registration writes anew, an old copy of the shell extension. Each goes
// into the run's backup folder, "uninstall.backup" in the install folder, under a number
// of its own, and is recorded ("B") once it is sure to be the file meant and just before
// it moves, so that a run ended at any point can be taken back. Committing the run
// deletes the backups; taking it back moves them home.
//
// Failure contract: false, with nothing moved, when the file cannot be moved (another
// program holds it without letting it be renamed, it is a link or leads elsewhere, or
// where it or its backup would be cannot be told); the thread's last error says why, as
// MoveCheckedFile (base/EntryFile.h) sets it. A record written for a move that then failed
// names a backup that is not there, which taking back passes over.
#include <string>
#include "engine/InstallState.h"

inline constexpr wchar_t kRunBackupFolderName[] = L"uninstall.backup";

// Moves `path` into the backup folder (made, and recorded, on first use).
[[nodiscard]] bool MoveAside(InstallState& state, const std::wstring& path);

// Moves `path` to `backup`, a name of its own inside the install folder (the shell
// extension's "_bak" copy); recorded the same way.
[[nodiscard]] bool MoveAsideTo(InstallState& state, const std::wstring& path, const std::wstring& backup);

// Where a file of the run is, or would be, as the file system has it: below the install
// folder, the install folder's final path and then the rest as named (no link inside it
// is followed: the backup folder or a folder of the payload swapped for one leads
// elsewhere, and is refused); elsewhere (a shortcut), its folder's final path and its own
// name (base/CheckedFile.h). Empty when that cannot be told, which every check refuses.
std::wstring ExpectedPlace(const InstallState& state, const std::wstring& path);
