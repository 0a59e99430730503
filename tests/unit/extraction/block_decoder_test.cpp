// The decoder that works one solid block ahead on its own thread, over the shipped
// payload (three blocks): whatever order the blocks are asked for in, each comes out as
// the LZMA SDK's decoder on the caller's thread makes it. And the stepwise decode of one
// block under it: every prefix it calls final is final, for each shape of block.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "7z.h"
#include "7zCrc.h"
#include "engine/BlockDecoder.h"
#include "engine/FolderDecode.h"
#include "engine/MemoryInStream.h"
#include "engine/PayloadResource.h"
#include "ExtractionHarness.h"

namespace {

void* Allocate(ISzAllocPtr, size_t size) { return size ? std::malloc(size) : nullptr; }
void Release(ISzAllocPtr, void* p) { std::free(p); }
const ISzAlloc kAlloc = {Allocate, Release};

// An archive (by default the shipped payload), opened, with each block decoded on this
// thread by the SDK as the reference.
class OpenedPayload {
public:
    explicit OpenedPayload(PayloadBytes payload = LoadOwnPayload(::GetModuleHandleW(nullptr))) : payload_(payload) {
        CrcGenerateTable();
        SzArEx_Init(&db_);
        MemoryInStream_Init(&stream_, payload_.data(), static_cast<UInt32>(payload_.size()));
        lookBuffer_.resize(size_t{1} << 16);
        look_.buf = lookBuffer_.data();
        look_.bufSize = lookBuffer_.size();
        look_.realStream = &stream_.vt;
        LookToRead2_CreateVTable(&look_, False);
        LookToRead2_INIT(&look_);
        opened_ = SzArEx_Open(&db_, &look_.vt, &kAlloc, &kAlloc) == SZ_OK;
    }
    ~OpenedPayload() { SzArEx_Free(&db_, &kAlloc); }

    std::string reference(UInt32 block) {
        std::string bytes(static_cast<size_t>(SzAr_GetFolderUnpackSize(&db_.db, block)), '\0');
        const SRes result = SzAr_DecodeFolder(&db_.db, block, &look_.vt, db_.dataPos,
                                              reinterpret_cast<Byte*>(bytes.data()), bytes.size(), &kAlloc);
        EXPECT_EQ(SZ_OK, result);
        return bytes;
    }

    // The block decoded in steps; `prefixesFinal` is false when a prefix reported final
    // differed from the reference then.
    struct Stepped {
        SRes result;
        std::string bytes;
        std::vector<size_t> reports;
        bool prefixesFinal = true;
    };
    Stepped stepped(UInt32 block, const std::string& reference) {
        Stepped s;
        s.bytes.assign(reference.size(), '\0');
        s.result = DecodeFolderInSteps(&db_.db, block, &look_.vt, db_.dataPos, reinterpret_cast<Byte*>(s.bytes.data()),
                                       s.bytes.size(), &kAlloc, [&](size_t final) {
                                           s.reports.push_back(final);
                                           if (std::memcmp(s.bytes.data(), reference.data(), final) != 0)
                                               s.prefixesFinal = false;
                                       });
        return s;
    }

    bool opened_ = false;
    PayloadBytes payload_;
    CSzArEx db_;

private:
    MemoryInStream stream_{};
    std::vector<Byte> lookBuffer_;
    CLookToRead2 look_{};
};

TEST(BlockDecoder, HandsOutEveryBlockAsDecodedInAnyOrderAndAgain) {
    OpenedPayload archive;
    ASSERT_TRUE(archive.opened_);
    ASSERT_EQ(3u, archive.db_.db.NumFolders);
    std::vector<std::string> expected;
    for (UInt32 block = 0; block < 3; ++block) expected.push_back(archive.reference(block));

    const std::vector<UInt32> orders[] = {
        {0, 1, 2},     // the run's order: each one decoded ahead
        {2, 0, 1},     // out of order: what was decoded ahead is dropped
        {1, 1, 0, 0},  // the same block again (a Retry) is decoded afresh
    };
    for (const auto& order : orders) {
        BlockDecoder decoder(archive.db_, archive.payload_, &kAlloc);
        int pumps = 0;
        for (UInt32 block : order) {
            const auto pump = [&] { ++pumps; };
            ASSERT_EQ(SZ_OK, decoder.take(block, pump));
            ASSERT_EQ(expected[block].size(), decoder.size()) << "block " << block;
            ASSERT_EQ(SZ_OK, decoder.ready(0, decoder.size(), pump));
            EXPECT_EQ(0, std::memcmp(expected[block].data(), decoder.buffer(), decoder.size())) << "block " << block;
        }
    }
}

// Destroyed with a block decoded ahead and never taken, in the middle of a decode, and
// with the block in hand still being decoded: it ends its worker and frees what it
// decoded (the process's heap checks the rest).
TEST(BlockDecoder, EndsItsWorkerWhateverItIsDoing) {
    OpenedPayload archive;
    ASSERT_TRUE(archive.opened_);
    for (int round = 0; round < 4; ++round) {
        BlockDecoder decoder(archive.db_, archive.payload_, &kAlloc);
        if (round >= 1) ASSERT_EQ(SZ_OK, decoder.take(0, {}));
        if (round >= 2) ASSERT_EQ(SZ_OK, decoder.ready(0, decoder.size(), {}));  // block 1 is now being decoded
        if (round == 3) decoder.drop();
    }
}

// Each shape of block: the SDK's bytes, reported final in growing prefixes that were final
// when reported, ending at the block's size; the shapes followed in steps report before
// the end (their filters stay behind the decoder's dictionary), the others once.
TEST(FolderDecode, EveryPrefixReportedFinalIsTheSdksAndTheFollowedShapesReportEarly) {
    struct Case {
        const char* archive;
        PayloadBytes bytes;
        std::vector<bool> early;  // per block
    };
    const Case cases[] = {
        // LZMA2 text, BCJ over LZMA (decoded whole), Delta:4 over LZMA2, BCJ2 over LZMA.
        {"shapes", Fixture(L"SHAPES"), {true, false, true, true}},
        // The shipped payload: its text and Delta blocks are smaller than a step or the
        // dictionary; BCJ2 writes below the main stream's place before it reaches it.
        {"payload", LoadOwnPayload(::GetModuleHandleW(nullptr)), {false, false, true}},
    };
    for (const Case& c : cases) {
        OpenedPayload archive(c.bytes);
        ASSERT_TRUE(archive.opened_) << c.archive;
        ASSERT_EQ(c.early.size(), archive.db_.db.NumFolders) << c.archive;
        for (UInt32 block = 0; block < archive.db_.db.NumFolders; ++block) {
            SCOPED_TRACE(std::string(c.archive) + " block " + std::to_string(block));
            const std::string reference = archive.reference(block);
            const auto s = archive.stepped(block, reference);
            EXPECT_EQ(SZ_OK, s.result);
            EXPECT_TRUE(s.bytes == reference);
            EXPECT_TRUE(s.prefixesFinal);
            ASSERT_FALSE(s.reports.empty());
            EXPECT_TRUE(std::is_sorted(s.reports.begin(), s.reports.end()));
            EXPECT_EQ(reference.size(), s.reports.back());
            EXPECT_EQ(c.early[block], s.reports.front() < reference.size());
        }
    }
}

}  // namespace
