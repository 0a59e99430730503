#pragma once
// The uninstaller's last act: its own files and, when asked, the install folder.
#include <string>
#include <vector>

namespace undo {

// Deletes "uninstall-ran.txt" in `installFolder` at once unless `keepNote` (a silent run
// leaves its note, and the folder, to the setup that runs next: the setup clears it when
// it installs elsewhere, and its tests see from it that the uninstaller ran), through a
// checked handle (RemoveFileAsNamed). The journal is not this step's: it has been stored
// or removed already (UndoLeftovers.h). The running program cannot delete its own file.
// With `folders` (innermost first) to remove, it moves its file beside the outermost of
// them and removes each one here when it is empty (RemoveFolderIfEmpty: never their
// contents, never through a link), so a file that the user put there keeps its folder.
// Otherwise, or when that move fails, it renames its file to a name of its own in the
// install folder (a new "uninstall.exe" unpacked there by a setup that runs next is never
// touched), and the folders are left to the helper. The file is marked for deletion at
// the next restart, and a hidden cmd (the system folder's, by full path) deletes it as
// soon as this process has ended, then removes the folders left to it. Returns false
// when the helper could not be started (the restart still removes the program file).
bool RemoveSelfAfterExit(const std::wstring& installFolder, const std::vector<std::wstring>& folders, bool keepNote);

}  // namespace undo
