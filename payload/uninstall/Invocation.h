#pragma once
// How the uninstaller was started, and the command that removes it after it has ended.
// Free of <windows.h>.
#include <string>
#include <string_view>
#include <vector>

namespace undo {

// How the uninstaller was started, read from its whole command line. The setup runs an
// earlier installation's uninstaller with the command line " true" (program name given
// apart, so the line starts with the blank); otherwise the line begins with the program's
// path, quoted or not, and the arguments follow it.
enum class RunMode {
    Interactive,  // no arguments, or any but these: asks first, reports, removes everything
    ForSetup,     // exactly "true": silent, and the install folder stays for the new install
    Quiet,        // exactly "/S" (any case; the uninstall entry's "QuietUninstallString"):
                  // no window at all, and everything goes, its own folder included
};
RunMode ReadRunMode(std::wstring_view commandLine);

// The text after "cmd /c" of a hidden helper that waits until `file` (the renamed,
// still running uninstaller) can be deleted, deletes it, then removes each of `folders`
// (innermost first) only when empty, and ends; it gives up after `tries` attempts about
// a second apart, waiting with `pingProgram` (the full path of the system's ping.exe:
// cmd would look for a bare name in its current folder first). It names nothing but these
// paths and never deletes a folder's contents. Empty when a path holds a character that
// cmd would read as more than text inside quotes ('%', '"', '!', '^' or a control
// character) or a wildcard, or when `pingProgram` is not a full path.
std::wstring CleanupCommand(const std::wstring& file, const std::vector<std::wstring>& folders, int tries,
                           const std::wstring& pingProgram);

}  // namespace undo
