// The start step's checks before anything is made: the room the install takes on a volume
// (arithmetic, then measured on this machine's drives) and how an installed version stands
// to the setup's.
#include <gtest/gtest.h>

#include "engine/DiskRoom.h"
#include "engine/InstallRoom.h"
#include "engine/VersionOrder.h"
#include "scratch.h"

namespace {

constexpr std::uint64_t kKB = 1024, kMB = 1024 * 1024;

TEST(DiskRoom, FilesRoundUpToClustersAndTheJournalIsCountedTwice) {
    PayloadFootprint payload;
    payload.fileBytes = {0, 1, 4096, 4097, 10000};
    payload.records = 5;
    payload.recordBytes = 100;
    // 0 + 4096 + 4096 + 8192 + 12288 = 28672 of files with 4 kB clusters. The journal:
    // 100 + 5 x 20 (the folder in each record) + 8192 (registration) = 8392 plain,
    // 8400 encrypted: three clusters each.
    EXPECT_EQ(InstallBytesNeeded(payload, 4096, 20), 28672u + 2 * 12288);
    // 64 kB clusters (a large FAT volume): every file that is not empty takes one at least.
    EXPECT_EQ(InstallBytesNeeded(payload, 64 * kKB, 20), 4 * 64 * kKB + 2 * 64 * kKB);
    // Unknown clusters count as 4 kB; 512-byte clusters come close to the bytes themselves.
    EXPECT_EQ(InstallBytesNeeded(payload, 0, 20), InstallBytesNeeded(payload, 4096, 20));
    EXPECT_EQ(InstallBytesNeeded(payload, 512, 0), 0u + 512 + 4096 + 4608 + 10240 + 8704 + 8704);
    EXPECT_EQ(payload.unpackedBytes(), 18194u);
    // A longer install folder makes longer records.
    EXPECT_LT(InstallBytesNeeded(payload, 512, 0), InstallBytesNeeded(payload, 512, 1000));
    EXPECT_EQ(InstallBytesNeeded(PayloadFootprint{}, 4096, 30), 8192u + 12288);  // 8192 plain, 8208 encrypted
}

TEST(DiskRoom, KilobytesForTheUninstallEntryRoundUpAndStopAtTheLargestDword) {
    EXPECT_EQ(EstimatedKilobytes(0), 0u);
    EXPECT_EQ(EstimatedKilobytes(1), 1u);
    EXPECT_EQ(EstimatedKilobytes(1024), 1u);
    EXPECT_EQ(EstimatedKilobytes(1025), 2u);
    EXPECT_EQ(EstimatedKilobytes(5452595), 5325u);
    EXPECT_EQ(EstimatedKilobytes(std::uint64_t{1} << 50), 0xFFFFFFFFu);
}

TEST(DiskRoom, MegabytesShownWithOneDecimalNeedUpFreeDown) {
    struct Case { std::uint64_t bytes; const wchar_t* needed; const wchar_t* free; };
    const Case cases[] = {
        {0, L"0.0", L"0.0"},
        {1, L"0.1", L"0.0"},
        {kMB, L"1.0", L"1.0"},
        {kMB + 1, L"1.1", L"1.0"},
        {5 * kMB + 262144, L"5.3", L"5.2"},  // 5.25 MB
        {10 * kMB - 1, L"10.0", L"9.9"},
        {123456 * kMB, L"123456.0", L"123456.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MegabytesNeededText(c.bytes), c.needed) << c.bytes;
        EXPECT_EQ(MegabytesFreeText(c.bytes), c.free) << c.bytes;
    }
    // Whenever the need exceeds what is free, the figures shown say so.
    for (std::uint64_t free : {3 * kMB, 3 * kMB + 1, 3 * kMB + 104857})
        for (std::uint64_t need : {free + 1, free + 1000, free + 104857})
            EXPECT_GT(std::stod(MegabytesNeededText(need)), std::stod(MegabytesFreeText(free))) << need << " " << free;
}

TEST(InstallRoom, MeasuredOnTheDeepestLevelThatExists) {
    ScratchFolder scratch(L"room");
    const std::wstring typed = scratch / L"Vexmora\\邮箱\\deeper";
    EXPECT_EQ(DeepestExistingFolder(typed), scratch.path());
    EXPECT_EQ(DeepestExistingFolder(scratch.path() + L"\\"), scratch.path());
    EXPECT_EQ(DeepestExistingFolder(typed.substr(0, 2) + L"\\"), typed.substr(0, 3));  // the drive root

    PayloadFootprint payload;
    payload.fileBytes = {3 * kMB};
    const InstallRoom room = MeasureInstallRoom(typed, payload);
    ASSERT_TRUE(room.measured);
    EXPECT_GT(room.available, 0u);
    EXPECT_GE(room.needed, 3 * kMB);
    EXPECT_EQ(RoomVerdict::Enough, room.verdict());
    ULARGE_INTEGER free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(scratch.path().c_str(), &free, nullptr, nullptr));
    // Other programs write meanwhile: the same volume, within a few megabytes.
    EXPECT_LT(room.available > free.QuadPart ? room.available - free.QuadPart : free.QuadPart - room.available,
              64 * kMB);

    // Nothing of the path exists (a drive that is not there): not measured; making the
    // folder is what refuses it.
    for (const std::wstring& nowhere : {std::wstring(L"Q:\\Vexmora\\邮箱"), std::wstring(L"relative\\path"),
                                        std::wstring()}) {
        const InstallRoom none = MeasureInstallRoom(nowhere, payload);
        EXPECT_FALSE(none.measured) << nowhere.size();
        EXPECT_EQ(RoomVerdict::NoDrive, none.verdict());
        EXPECT_GE(none.needed, 3 * kMB);
    }
    EXPECT_EQ(DeepestExistingFolder(L"Q:\\Vexmora"), L"");
}

TEST(VersionOrder, NumericPartByPart) {
    struct Case { const wchar_t* installed; const wchar_t* setup; VersionOrder order; };
    const Case cases[] = {
        {L"3.2.0.1", L"3.2.0.1", VersionOrder::Same},
        {L"3.2", L"3.2.0.0", VersionOrder::Same},
        {L"03.2.00.1", L"3.2.0.1", VersionOrder::Same},
        {L" 3.2.0.1 ", L"3.2.0.1", VersionOrder::Same},
        {L"3.10.0.0", L"3.9.0.0", VersionOrder::Newer},   // not compared as text
        {L"3.2.0.2", L"3.2.0.1", VersionOrder::Newer},
        {L"4", L"3.99.99.99", VersionOrder::Newer},
        {L"3.2.0.1.1", L"3.2.0.1", VersionOrder::Newer},
        {L"3.2.0.0", L"3.2.0.1", VersionOrder::Older},
        {L"2.99", L"3.2.0.1", VersionOrder::Older},
        {L"3.9.0.0", L"3.10.0.0", VersionOrder::Older},
        {L"", L"3.2.0.1", VersionOrder::Unknown},          // nothing installed
        {L"3.2.0.1", L"", VersionOrder::Unknown},          // the setup's own version unreadable
        {L"3.2 beta", L"3.2.0.1", VersionOrder::Unknown},
        {L"v3.2", L"3.2.0.1", VersionOrder::Unknown},
        {L"3..2", L"3.2.0.1", VersionOrder::Unknown},
        {L"3.2.", L"3.2.0.1", VersionOrder::Unknown},
        {L".3", L"3.2.0.1", VersionOrder::Unknown},
        {L"3.-2", L"3.2.0.1", VersionOrder::Unknown},
        {L"1234567890.0", L"3.2.0.1", VersionOrder::Unknown},
        {L"999999999.0", L"3.2.0.1", VersionOrder::Newer},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<int>(CompareVersions(c.installed, c.setup)), static_cast<int>(c.order))
            << "\"" << std::string(c.installed, c.installed + std::wcslen(c.installed)) << "\"";
}

}  // namespace
