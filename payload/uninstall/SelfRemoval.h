#pragma once
// The uninstaller's last act: its own files and, when asked, the install folder.
#include <string>
#include <vector>

namespace undo {

// Deletes "uninstall-ran.txt" in `installFolder` at once unless `keepNote` (a silent run
// leaves its note, and the folder, to the setup that runs next: the setup clears it when
// it installs elsewhere, and its tests see from it that the uninstaller ran). The journal
// is not this step's: it has been stored or removed already (UndoLeftovers.h). The running
// program cannot delete its own file, so it renames it to a name of its own in the same
// folder (a new "uninstall.exe" unpacked there by a setup that runs next is never
// touched), marks that name for deletion at the next restart, and starts a hidden cmd
// that deletes it as soon as this process has ended and then removes `folders`
// (innermost first) when they are empty - never their contents, so a file that the
// user put there keeps its folder. Returns false when the helper could not be started
// (the restart still removes the program file).
bool RemoveSelfAfterExit(const std::wstring& installFolder, const std::vector<std::wstring>& folders, bool keepNote);

}  // namespace undo
