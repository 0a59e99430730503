#pragma once
// The one spelling of an install folder, as text: what the setup shows, journals,
// registers and writes to "SoftwarePath", whichever way the user typed or picked it, so
// that the uninstaller, which compares paths exactly, recognises every record. Free of
// <windows.h>; engine/InstallFolder.h adds what only the file system knows (the full,
// long form of the levels that exist).
#include <string>
#include <string_view>
#include "base/pure/PathRules.h"  // HasForbiddenNameCharacter

enum class FolderRefusal {
    None,
    NotLocal,            // not "X:\...": relative, drive-relative ("D:x"), a network or device path
    DriveRoot,           // "E:\" itself: the install would own, and its uninstaller empty, a whole drive
    ForbiddenCharacter,  // < > " | ? * or a control character: no Windows file name holds one
};

struct FolderSpelling {
    std::wstring folder;  // the spelling; for a refused folder, the text as given
    FolderRefusal refusal = FolderRefusal::None;
    bool accepted() const noexcept { return refusal == FolderRefusal::None; }
};

// "X:\part\part": "/" read as "\", one separator between parts, no trailing separator,
// no "." parts, the drive letter in upper case. Other parts (".." among them) are left
// as written for the folder chain's own rules (engine/FolderChain.h) to judge.
FolderSpelling SpellFolderText(std::wstring_view typed);
