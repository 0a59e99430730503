#include "engine/InstallRoom.h"

#include <vector>
#include "engine/FolderChain.h"
#include "journal/JournalRecord.h"
#include "engine/PayloadRoom.h"

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring WithTrailingBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

// The allocation unit of the volume that `folder` lies on (a mounted folder counts as its
// own volume), and the free space this user may take there.
VolumeSpace ReadVolumeSpace(const std::wstring& folder) {
    VolumeSpace space;
    wchar_t volume[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(folder.c_str(), volume, MAX_PATH)) return space;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!::GetDiskFreeSpaceW(WithTrailingBackslash(volume).c_str(), &sectorsPerCluster, &bytesPerSector,
                             &freeClusters, &totalClusters))
        return space;
    space.clusterBytes = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    ULARGE_INTEGER available{}, total{}, free{};
    space.read = space.clusterBytes != 0 &&
                 ::GetDiskFreeSpaceExW(WithTrailingBackslash(folder).c_str(), &available, &total, &free);
    space.availableBytes = available.QuadPart;
    return space;
}

VolumeSpaceReader g_volumeReader = ReadVolumeSpace;

}  // namespace

VolumeSpaceReader SetVolumeSpaceReader(VolumeSpaceReader reader) noexcept {
    const VolumeSpaceReader before = g_volumeReader;
    g_volumeReader = reader;
    return before;
}

std::wstring DeepestExistingFolder(const std::wstring& folder) {
    const std::vector<std::wstring> levels = FolderChainLevels(folder);
    for (auto level = levels.rbegin(); level != levels.rend(); ++level)
        if (IsFolder(*level)) return *level;
    if (folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\') {
        const std::wstring root = folder.substr(0, 3);
        if (IsFolder(root)) return root;
    }
    return {};
}

InstallRoom MeasureInstallRoom(const std::wstring& folder, const PayloadFootprint& payload) {
    InstallRoom room;
    const std::uint64_t folderBytes = journal::Utf16ToUtf8(folder).size();
    const std::wstring existing = DeepestExistingFolder(folder);
    room.onDrive = !existing.empty();
    const VolumeSpace space = room.onDrive ? g_volumeReader(existing) : VolumeSpace{};
    room.measured = space.read;
    room.needed = InstallBytesNeeded(payload, room.measured ? space.clusterBytes : 0, folderBytes);
    room.available = room.measured ? space.availableBytes : 0;
    return room;
}

InstallRoom MeasureInstallRoom(const std::wstring& folder, HINSTANCE instance) {
    // The payload does not change while the program runs; the custom page measures on
    // every change of the folder's text.
    static const PayloadFootprint own = ReadOwnPayloadFootprint(instance);
    return MeasureInstallRoom(folder, own);
}
