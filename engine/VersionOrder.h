#pragma once
// How an installed version stands to this setup's own: free of <windows.h>.
#include <string_view>

enum class VersionOrder {
    Unknown,  // either version is not dotted decimal numbers (or is empty)
    Older,    // the installed one is older: an upgrade
    Same,     // the same version: a repair
    Newer,    // the installed one is newer: installing would go back
};

// Compares the versions numerically, part by part from the left ("3.10" is newer than
// "3.9"; "03" is 3); a missing part counts as 0, so "3.2" is the same as "3.2.0.0". Blanks
// around the whole are ignored; anything else that is not a digit or a dot between digits
// makes the version Unknown, and so does a part of more than nine digits.
VersionOrder CompareVersions(std::wstring_view installed, std::wstring_view setup);
