#pragma once
// The version of the installation that the list of installed programs records, against
// this setup's own: the start step asks before going back to an older version, and calls
// an install over the same version a repair.
#include <string>
#include "engine/VersionOrder.h"

struct EarlierVersion {
    std::wstring installed;  // "DisplayVersion" of the uninstall entry; empty when there is none
    std::wstring setup;      // this program's file version ("a.b.c.d"); empty when unreadable
    VersionOrder order = VersionOrder::Unknown;  // also Unknown when nothing is installed
};

// Reads the uninstall entry of this system's view (engine/SystemInfo.h) and this
// program's version block. Changes nothing.
EarlierVersion ReadEarlierVersion();
