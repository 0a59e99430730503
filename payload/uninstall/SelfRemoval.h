#pragma once
// The uninstaller's last act: its own files and, when asked, the install folder.
#include <string>
#include <vector>

namespace undo {

// Deletes "uninstallE" in `installFolder` at once, and "uninstall-ran.txt" unless
// `keepNote` (a silent run leaves its note, and the folder, to the setup that runs next:
// the note is how that setup's tests see that it ran). The running
// program cannot delete its own file, so it renames it to a name of its own in the same
// folder (a new "uninstall.exe" unpacked there by a setup that runs next is never
// touched), marks that name for deletion at the next restart, and starts a hidden cmd
// that deletes it as soon as this process has ended and then removes `folders`
// (innermost first) when they are empty - never their contents, so a file that the
// user put there keeps its folder. Returns false when the helper could not be started
// (the restart still removes the program file).
bool RemoveSelfAfterExit(const std::wstring& installFolder, const std::vector<std::wstring>& folders, bool keepNote);

}  // namespace undo
