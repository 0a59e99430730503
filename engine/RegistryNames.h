#pragma once
// The registry places of an installation: written by registration, read back by the next
// setup run, and removed by the client's uninstaller. One definition for all three.

// The install folder is recorded here, as the value "SoftwarePath".
inline constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.exe";
inline constexpr wchar_t kSoftwarePathValue[] = L"SoftwarePath";
// Start at log-on.
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Vexmora-PC";
// The entry in the list of installed programs, by the system's bitness (the 32-bit view
// of a 64-bit system is under WOW6432Node).
inline constexpr wchar_t kUninstallKey64[] =
    L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版";
inline constexpr wchar_t kUninstallKey32[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版";
