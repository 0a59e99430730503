#pragma once
// The product's own names that the setup, the client's uninstaller and the journal's undo
// planner share: what the setup writes under them, the uninstaller removes, and the planner
// accepts as the installation's. One definition for all of them, below every layer that
// uses one. tools/winget reads the product, the publisher and the uninstall entry from
// this file for the package manager's manifest: keep each name a plain
// `inline constexpr wchar_t kName[] = L"...";`.
// Free of <windows.h>: the planner is also built natively (tests/native).

// The product as Windows' list of installed programs shows it. Fixed, not a string-table
// entry: the list keeps this name even when the start-menu names fall back to theirs.
inline constexpr wchar_t kProductName[] = L"VexmoraZevlo邮箱";
inline constexpr wchar_t kPublisher[] = L"Vexmora";
inline constexpr wchar_t kWebAddress[] = L"https://www.vexmora.com/zevlo";
// The start-menu folder's and the shortcut's name when string 129 cannot be loaded.
inline constexpr wchar_t kMenuFallbackName[] = L"VexmoraFM";

// The registry places of an installation: written by registration, read back by the next
// setup run, and removed by the client's uninstaller.
// The install folder is recorded here, as the value "SoftwarePath".
inline constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.exe";
inline constexpr wchar_t kSoftwarePathValue[] = L"SoftwarePath";
// Start at log-on.
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Vexmora-PC";
// The entry in the list of installed programs, by the system's bitness (the 32-bit view
// of a 64-bit system is under WOW6432Node). Its key name is what package managers call
// the product code.
inline constexpr wchar_t kUninstallKey64[] =
    L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版";
inline constexpr wchar_t kUninstallKey32[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版";

// The client's launcher in the install folder: what the shortcuts, the log-on value and
// the finish button start.
inline constexpr wchar_t kStartProgramName[] = L"Start.exe";

// The files of the client's uninstaller in the install folder: the setup runs an earlier
// installation's uninstaller and clears up after it when the new install goes elsewhere.
inline constexpr wchar_t kUninstallerName[] = L"uninstall.exe";
// One line per run; a silent run leaves it for the setup that started it.
inline constexpr wchar_t kUninstallerNoteName[] = L"uninstall-ran.txt";
// The running uninstaller cannot delete its own file: it renames it to
// "~uninstall-<process id>-<n>.tmp", which a helper deletes once the process has ended.
inline constexpr wchar_t kRenamedUninstallerPrefix[] = L"~uninstall-";
inline constexpr wchar_t kRenamedUninstallerSuffix[] = L".tmp";

// The arguments that the uninstaller understands (payload/uninstall/Invocation.h), for the
// setup that writes them into the uninstall entry and runs them.
// Run by a setup that is about to install again: silent, and the install folder stays.
inline constexpr wchar_t kUninstallForSetupArgument[] = L"true";
// The uninstall entry's "QuietUninstallString": silent, no window at all, and everything
// goes, the install folder and the uninstaller's own file included. Any letter case.
inline constexpr wchar_t kUninstallQuietArgument[] = L"/S";
