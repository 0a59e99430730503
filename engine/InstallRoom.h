#pragma once
// Whether the volume of an install folder has room for the install. Measured before
// anything is made, on the folder as the user gave it: the deepest level of its path that
// exists already stands on the volume that the rest will be made on.
#include <windows.h>
#include <cstdint>
#include <string>
#include "engine/DiskRoom.h"

struct InstallRoom {
    std::uint64_t needed = 0;     // bytes the install takes there (engine/DiskRoom.h)
    std::uint64_t available = 0;  // free bytes that this user may take there (quotas counted)
    // False when no level of the folder exists (a drive that is not there) or its volume
    // cannot be read: then `needed` is reckoned with 4 kB clusters, nothing is known to be
    // short, and making the folder will tell what is wrong.
    bool measured = false;

    bool enough() const noexcept { return !measured || needed <= available; }
};

// The deepest level of `folder` ("X:\..."), drive root included, that exists as a folder;
// empty when there is none.
std::wstring DeepestExistingFolder(const std::wstring& folder);

// The room for `payload` in `folder`.
InstallRoom MeasureInstallRoom(const std::wstring& folder, const PayloadFootprint& payload);
// The same for the program's own payload ("BIN" 227 of `instance`), read once per process.
InstallRoom MeasureInstallRoom(const std::wstring& folder, HINSTANCE instance);
