#include "engine/DiskRoom.h"
#include "base/pure/DecimalText.h"

#include <limits>
#include <numeric>

namespace {

constexpr std::uint64_t kDefaultCluster = 4096;
// Registration's records (shortcuts, the App Paths key, the log-on value and the uninstall
// entry's values: about twenty lines of at most a few hundred bytes) and the folders that
// the start step makes above the install folder.
constexpr std::uint64_t kRegistrationRecordBytes = 8192;
// AES-CBC with PKCS #7 padding: up to one block more than the plain text.
constexpr std::uint64_t kCipherBlock = 16;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

std::wstring TenthsText(std::uint64_t tenths) {
    return DecimalText(tenths / 10) + L"." + DecimalText(tenths % 10);
}

}  // namespace

std::uint64_t PayloadFootprint::unpackedBytes() const noexcept {
    return std::accumulate(fileBytes.begin(), fileBytes.end(), std::uint64_t{0});
}

std::uint64_t RoundUpToClusters(std::uint64_t bytes, std::uint64_t clusterBytes) noexcept {
    if (clusterBytes == 0) return bytes;
    return (bytes + clusterBytes - 1) / clusterBytes * clusterBytes;
}

std::uint64_t InstallBytesNeeded(const PayloadFootprint& payload, std::uint64_t clusterBytes,
                                 std::uint64_t folderUtf8Bytes) noexcept {
    const std::uint64_t cluster = clusterBytes == 0 ? kDefaultCluster : clusterBytes;
    std::uint64_t total = 0;
    for (const std::uint64_t file : payload.fileBytes) total += RoundUpToClusters(file, cluster);
    const std::uint64_t plainJournal =
        payload.recordBytes + payload.records * folderUtf8Bytes + kRegistrationRecordBytes;
    const std::uint64_t cipherJournal = (plainJournal / kCipherBlock + 1) * kCipherBlock;
    return total + RoundUpToClusters(plainJournal, cluster) + RoundUpToClusters(cipherJournal, cluster);
}

std::uint32_t EstimatedKilobytes(std::uint64_t bytes) noexcept {
    const std::uint64_t kilobytes = (bytes + 1023) / 1024;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(kilobytes > kMax ? kMax : kilobytes);
}

std::wstring MegabytesNeededText(std::uint64_t bytes) {
    return TenthsText(bytes / kMegabyte * 10 + ((bytes % kMegabyte) * 10 + kMegabyte - 1) / kMegabyte);
}

std::wstring MegabytesFreeText(std::uint64_t bytes) {
    return TenthsText(bytes / kMegabyte * 10 + (bytes % kMegabyte) * 10 / kMegabyte);
}
