// The decoder that works one solid block ahead on its own thread, over the shipped
// payload (three blocks): whatever order the blocks are asked for in, each comes out as
// the LZMA SDK's decoder on the caller's thread makes it; the decode ahead holds no more
// than the larger block, waits for bytes to be given back without ever holding up the
// caller. And the stepwise decode of one block under it: every prefix it calls final is
// final, for each shape of block.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <string>
#include <vector>

#include "7z.h"
#include "7zCrc.h"
#include "engine/BlockDecoder.h"
#include "engine/FolderDecode.h"
#include "engine/MemoryInStream.h"
#include "engine/PayloadResource.h"
#include "base/Handles.h"
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

// Waits until the decoder's account of what it holds meets `condition`; a failure after a
// deadline (the worker never got there).
template <class Condition>
BlockDecoder::Holding WaitForHolding(const BlockDecoder& decoder, Condition condition) {
    const DWORD start = ::GetTickCount();
    BlockDecoder::Holding h = decoder.holding();
    while (!condition(h) && ::GetTickCount() - start < 20000) {
        ::Sleep(1);
        h = decoder.holding();
    }
    EXPECT_TRUE(condition(h)) << "held " << h.held << " of " << h.bound << (h.waiting ? ", waiting" : "");
    return h;
}

// Runs `action`, ending this program with a failure if it has not returned after a
// deadline: a deadlock fails the test at once instead of hanging it.
struct Watch {
    UniqueHandle done;
    const char* what;
};
DWORD WINAPI Watchdog(void* watch) {
    const auto* w = static_cast<const Watch*>(watch);
    if (::WaitForSingleObject(w->done.get(), 60000) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "deadlocked: %s\n", w->what);
        std::fflush(stderr);
        ::ExitProcess(3);
    }
    return 0;
}
template <class Action>
void WithinDeadline(const char* what, Action action) {
    Watch watch{UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), what};
    UniqueHandle watchdog(::CreateThread(nullptr, 0, Watchdog, &watch, 0, nullptr));
    action();
    ::SetEvent(watch.done.get());
    ::WaitForSingleObject(watchdog.get(), INFINITE);
}

// The shipped payload's block 0 (text, 113 KiB) held whole by a caller still reading it
// from its start leaves block 1 (1.3 MiB) room for only what it has beyond block 0: its
// decode ahead stops short of its end, goes on as the caller moves on (block 0's pages
// behind it are given back), and all of it comes out right once taken. The bytes held
// never went beyond the larger block.
TEST(BlockDecoder, DecodeAheadStopsAtTheLargerBlockAndGoesOnAsBytesAreGivenBack) {
    OpenedPayload archive;
    ASSERT_TRUE(archive.opened_);
    const std::string expected = archive.reference(1);
    BlockDecoder decoder(archive.db_, archive.payload_, &kAlloc);
    ASSERT_EQ(SZ_OK, decoder.take(0, {}));
    const size_t size0 = decoder.size();
    ASSERT_LT(size0, expected.size());
    ASSERT_EQ(SZ_OK, decoder.ready(0, size0, {}));

    const auto stopped = WaitForHolding(decoder, [](const BlockDecoder::Holding& h) { return h.waiting; });
    EXPECT_EQ(expected.size(), stopped.bound);
    EXPECT_LE(stopped.held, stopped.bound);
    EXPECT_GT(stopped.held, size0);  // block 1 was decoded ahead as far as it could be

    // The caller moves to block 0's end: its pages are given back, block 1 goes on and
    // stops again short of its end (block 0's last, partial page stays).
    ASSERT_EQ(SZ_OK, decoder.ready(size0, size0, {}));
    const auto further = WaitForHolding(
        decoder, [&](const BlockDecoder::Holding& h) { return h.held > stopped.held && h.waiting; });
    EXPECT_LE(further.held, further.bound);

    ASSERT_EQ(SZ_OK, decoder.take(1, {}));
    ASSERT_EQ(SZ_OK, decoder.ready(0, decoder.size(), {}));
    EXPECT_EQ(0, std::memcmp(expected.data(), decoder.buffer(), expected.size()));
    EXPECT_LE(decoder.holding().peak, expected.size());
}

// Whatever the caller does while the decode ahead waits for room, it gets its bytes at
// once: it takes the block ahead, takes another, asks again for bytes it had moved past
// (the block is decoded afresh), drops its block, or destroys the decoder (an Abort).
TEST(BlockDecoder, ACallerIsNeverHeldUpByTheDecodeAheadWaitingForIt) {
    OpenedPayload archive;
    ASSERT_TRUE(archive.opened_);
    std::vector<std::string> expected;
    for (UInt32 block = 0; block < 3; ++block) expected.push_back(archive.reference(block));
    const auto check = [&](BlockDecoder& decoder, UInt32 block) {
        ASSERT_EQ(block, decoder.block());
        ASSERT_EQ(SZ_OK, decoder.ready(0, decoder.size(), {}));
        EXPECT_EQ(0, std::memcmp(expected[block].data(), decoder.buffer(), decoder.size())) << "block " << block;
    };
    struct Case {
        const char* name;
        std::function<void(BlockDecoder&)> act;
    };
    const Case cases[] = {
        {"takes the block ahead", [&](BlockDecoder& d) { ASSERT_EQ(SZ_OK, d.take(1, {})); check(d, 1); }},
        {"takes another block", [&](BlockDecoder& d) { ASSERT_EQ(SZ_OK, d.take(2, {})); check(d, 2); }},
        {"asks again for bytes it moved past",
         [&](BlockDecoder& d) {
             ASSERT_EQ(SZ_OK, d.ready(expected[0].size(), expected[0].size(), {}));
             check(d, 0);
         }},
        {"drops its block",
         [&](BlockDecoder& d) {
             d.drop();
             ASSERT_EQ(SZ_OK, d.take(1, {}));
             check(d, 1);
         }},
        {"destroys the decoder", [](BlockDecoder&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WithinDeadline(c.name, [&] {
            BlockDecoder decoder(archive.db_, archive.payload_, &kAlloc);
            ASSERT_EQ(SZ_OK, decoder.take(0, {}));
            ASSERT_EQ(SZ_OK, decoder.ready(0, decoder.size(), {}));
            WaitForHolding(decoder, [](const BlockDecoder::Holding& h) { return h.waiting; });
            c.act(decoder);
        });
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
