#pragma once
// The files of the client's uninstaller in the install folder, named once for the
// uninstaller itself and for the setup, which runs an earlier installation's uninstaller
// and clears up after it when the new install goes elsewhere.
inline constexpr wchar_t kUninstallerName[] = L"uninstall.exe";
// One line per run; a silent run leaves it for the setup that started it.
inline constexpr wchar_t kUninstallerNoteName[] = L"uninstall-ran.txt";
// The running uninstaller cannot delete its own file: it renames it to
// "~uninstall-<process id>-<n>.tmp", which a helper deletes once the process has ended.
inline constexpr wchar_t kRenamedUninstallerPrefix[] = L"~uninstall-";
inline constexpr wchar_t kRenamedUninstallerSuffix[] = L".tmp";
