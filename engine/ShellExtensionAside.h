#pragma once
// An earlier installation's shell extension may be loaded by Explorer, and a loaded
// library cannot be overwritten, only renamed: before the first payload file is written,
// "QuillwireShell.dll" and "QuillwireShell64.dll" in the install folder are renamed to
// their "_bak" names (older "_bak" copies go into the run's backup first), so the new
// copies can be unpacked. Done in this process: a rename through a started "cmd" would run
// whatever "cmd.exe" lies beside the elevated setup or in its current folder.
#include "engine/InstallState.h"

// Moves the install folder's QuillwireShell_bak.dll and QuillwireShell64_bak.dll aside
// (engine/RunBackup.h), then each existing DLL to its "_bak" name, each recorded before it
// moves, each through a handle checked to lead where its name says (base/CheckedFile.h: a
// link at one of these names is left as it is): taking the run back renames them home
// again, committing it deletes the "_bak" copies. Failures (nothing to rename, a "_bak"
// file still in use, a link) are silent: the install goes on.
void SetShellExtensionAside(InstallState& state);
