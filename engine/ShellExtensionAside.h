#pragma once
// An earlier installation's shell extension may be loaded by Explorer, and a loaded
// library cannot be overwritten, only renamed: before the first payload file is written,
// "QuillwireShell.dll" and "QuillwireShell64.dll" in the install folder are renamed to
// their "_bak" names (older "_bak" copies deleted first), so the new copies can be
// unpacked. Done in this process: a rename through a started "cmd" would run whatever
// "cmd.exe" lies beside the elevated setup or in its current folder.
#include <string>
class InstallJournal;

// Deletes `folder`\QuillwireShell_bak.dll and QuillwireShell64_bak.dll, then renames each
// existing DLL to its "_bak" name, each through a handle checked to lead where the name
// says (base/CheckedFile.h: a link at one of these names is left as it is). Each "_bak" file a rename creates is recorded in
// `journal` (when not null and open), so that the uninstaller removes it too. Failures
// (nothing to rename, a "_bak" file still in use) are silent: the install goes on.
void SetShellExtensionAside(const std::wstring& folder, InstallJournal* journal);
