#pragma once
// How much disk an install takes, and how the figures are put to the user: arithmetic
// only, free of <windows.h>, so that it is tested directly.
#include <cstdint>
#include <string>
#include <vector>

// What the payload puts on disk, read from its archive's database (engine/PayloadRoom.h).
struct PayloadFootprint {
    std::vector<std::uint64_t> fileBytes;  // the unpacked size of each file entry
    std::uint64_t records = 0;             // journal records the extraction makes: a file
                                           // record per file, a folder record per folder
    std::uint64_t recordBytes = 0;         // their UTF-8 text without the install folder

    std::uint64_t unpackedBytes() const noexcept;  // the sum of fileBytes
};

// The bytes an install takes on a volume whose allocation unit is `clusterBytes` (0 is
// taken as 4096), in an install folder whose path is `folderUtf8Bytes` long: every file
// rounded up to whole clusters (an empty file takes none), plus the journal. The journal
// holds the payload's records and registration's (allowed for generously), and while it
// is finished its plain file and the encrypted copy stand side by side.
std::uint64_t InstallBytesNeeded(const PayloadFootprint& payload, std::uint64_t clusterBytes,
                                 std::uint64_t folderUtf8Bytes) noexcept;

// `bytes` rounded up to whole clusters of `clusterBytes` (0: the bytes themselves).
std::uint64_t RoundUpToClusters(std::uint64_t bytes, std::uint64_t clusterBytes) noexcept;

// Kilobytes, rounded up, as the list of installed programs takes the size of an
// installation ("EstimatedSize", a DWORD: larger sizes are capped).
std::uint32_t EstimatedKilobytes(std::uint64_t bytes) noexcept;

// Megabytes (of 1024 x 1024 bytes) with one decimal, as the messages show them ("5.3").
// What is needed is rounded up and what is free rounded down, so that whenever the need
// exceeds the free space, the figures shown say so too.
std::wstring MegabytesNeededText(std::uint64_t bytes);
std::wstring MegabytesFreeText(std::uint64_t bytes);
