#pragma once
// The arguments that the client's uninstaller understands (payload/uninstall/Invocation.h),
// for the setup that writes them into the uninstall entry and runs them.

// Run by a setup that is about to install again: silent, and the install folder stays.
inline constexpr wchar_t kUninstallForSetupArgument[] = L"true";
// The uninstall entry's "QuietUninstallString": silent, no window at all, and everything
// goes, the install folder and the uninstaller's own file included. Any letter case.
inline constexpr wchar_t kUninstallQuietArgument[] = L"/S";
