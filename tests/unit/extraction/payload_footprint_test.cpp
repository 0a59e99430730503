// What the payload takes on disk, read from the archive's database: checked against what
// a real extraction of the same archive writes and journals.
#include <gtest/gtest.h>

#include <algorithm>
#include "ExtractionHarness.h"
#include "engine/PayloadResource.h"
#include "engine/PayloadRoom.h"

namespace {

// The journal's bytes as the extraction wrote them, less the install folder in each record.
std::uint64_t RecordBytesWithoutFolder(const std::vector<std::string>& lines, const std::wstring& folder) {
    std::uint64_t bytes = 0;
    for (const std::string& line : lines) bytes += line.size() + 2 - Utf8(folder).size();
    return bytes;
}

TEST(PayloadFootprint, FileSizesAndTheExtractionsOwnRecords) {
    struct Case { const wchar_t* fixture; std::vector<std::uint64_t> sizes; };
    const Case cases[] = {
        // Files only, their folders made on the way: a, a\b, 中文目录.
        {L"TREE", {0, 100, 500, 2000, 3000, 10240}},
        // Folder entries, one of them empty, and two files.
        {L"DIRS", {300, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.fixture));
        const PayloadFootprint footprint = ReadPayloadFootprint(Fixture(c.fixture));
        std::vector<std::uint64_t> sizes = footprint.fileBytes;
        std::sort(sizes.begin(), sizes.end());
        EXPECT_EQ(sizes, c.sizes);

        ExtractionRun run(Fixture(c.fixture));
        run.run();
        ASSERT_TRUE(run.state.extractionCompleted);
        const std::vector<std::string> lines = run.journalLines();
        EXPECT_EQ(footprint.records, lines.size());
        EXPECT_EQ(footprint.recordBytes, RecordBytesWithoutFolder(lines, run.scratch.install()));
        // The size the uninstall entry reports comes from the archive that was unpacked.
        EXPECT_EQ(run.state.payloadUnpackedBytes, footprint.unpackedBytes());
    }
}

TEST(PayloadFootprint, AnArchiveThatCannotBeOpenedTakesNothing) {
    for (const wchar_t* name : {L"GARBAGE", L"TRUNCATED"}) {
        const PayloadFootprint footprint = ReadPayloadFootprint(Fixture(name));
        EXPECT_TRUE(footprint.fileBytes.empty()) << Utf8(name);
        EXPECT_EQ(footprint.records, 0u);
        EXPECT_EQ(footprint.recordBytes, 0u);
    }
}

// The shipped payload: every file entry counted, in the order of the archive.
TEST(PayloadFootprint, TheShippedPayloadUnpacksToSomeMegabytes) {
    const PayloadFootprint own = ReadOwnPayloadFootprint(::GetModuleHandleW(nullptr));
    EXPECT_GT(own.fileBytes.size(), 20u);
    EXPECT_GT(own.unpackedBytes(), 1u << 20);
    EXPECT_EQ(own.unpackedBytes(), ReadPayloadFootprint(LoadOwnPayload(::GetModuleHandleW(nullptr))).unpackedBytes());
}

}  // namespace
