#pragma once
// Whether the volume of an install folder has room for the install. Measured before
// anything is made, on the folder as the user gave it: the deepest level of its path that
// exists already stands on the volume that the rest will be made on.
#include <windows.h>
#include <cstdint>
#include <string>
#include "engine/DiskRoom.h"

enum class RoomVerdict {
    Enough,
    TooLittle,
    Unknown,  // a level of the folder exists, but its volume's free space cannot be read
    NoDrive,  // no level of the folder exists: it cannot be made, and making it says so
};

struct InstallRoom {
    std::uint64_t needed = 0;     // bytes the install takes there (engine/DiskRoom.h)
    std::uint64_t available = 0;  // free bytes that this user may take there (quotas counted)
    bool onDrive = false;         // some level of the folder exists (its drive root at least)
    // False when no level exists or the volume cannot be read: then `needed` is reckoned
    // with 4 kB clusters and nothing is known about the free space.
    bool measured = false;

    // A room that could not be measured is never taken as enough: the caller asks (a
    // silent run ends), it does not pass.
    RoomVerdict verdict() const noexcept {
        if (!onDrive) return RoomVerdict::NoDrive;
        if (!measured) return RoomVerdict::Unknown;
        return needed <= available ? RoomVerdict::Enough : RoomVerdict::TooLittle;
    }
};

// What a volume tells of itself; `read` false when it cannot be asked.
struct VolumeSpace {
    bool read = false;
    std::uint64_t clusterBytes = 0;
    std::uint64_t availableBytes = 0;  // to this user, quotas counted
};
// The call that reads the volume of an existing folder, for tests of a volume that cannot
// be read (this Wine answers for every folder it can open). Returns the one in use before.
using VolumeSpaceReader = VolumeSpace (*)(const std::wstring& existingFolder);
VolumeSpaceReader SetVolumeSpaceReader(VolumeSpaceReader reader) noexcept;

// The deepest level of `folder` ("X:\..."), drive root included, that exists as a folder;
// empty when there is none.
std::wstring DeepestExistingFolder(const std::wstring& folder);

// The room for `payload` in `folder`.
InstallRoom MeasureInstallRoom(const std::wstring& folder, const PayloadFootprint& payload);
// The same for the program's own payload ("BIN" 227 of `instance`), read once per process.
InstallRoom MeasureInstallRoom(const std::wstring& folder, HINSTANCE instance);
