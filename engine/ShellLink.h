#pragma once
// Shortcut (.lnk) files written through the shell's link object.
#include <windows.h>
#include <string>

class InstallJournal;

// Writes the shortcut file `link` pointing at `target`, replacing an existing file.
// Every string must be present (not null); target and link must not be empty;
// showCommand and iconIndex must not be negative. Empty description, working directory
// and icon path, and a showCommand of 0, leave those properties unset. Initialises COM on
// the calling thread for the duration of the call and uninitialises it on every path.
// Returns E_INVALIDARG (creating nothing) for bad arguments, else the failing COM result
// or the result of saving the file.
HRESULT CreateShellLink(const wchar_t* target, const wchar_t* arguments, const wchar_t* link,
                        const wchar_t* description, int showCommand, const wchar_t* workingDirectory,
                        const wchar_t* iconPath, int iconIndex);

// A plain shortcut as the installation makes them: no arguments, description, working
// folder or icon of its own, shown normally. `link` is recorded in `journal` (when not
// null) before the file is written, so the uninstaller also looks for a shortcut whose
// writing failed. True when the file was written.
bool CreateShortcut(const std::wstring& target, const std::wstring& link, InstallJournal* journal);
