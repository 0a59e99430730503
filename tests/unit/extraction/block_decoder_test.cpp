// The decoder that works one solid block ahead on its own thread, over the shipped
// payload (three blocks): whatever order the blocks are asked for in, each comes out as
// the decoder on the caller's thread makes it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "7z.h"
#include "7zCrc.h"
#include "engine/BlockDecoder.h"
#include "engine/MemoryInStream.h"
#include "engine/PayloadResource.h"

namespace {

void* Allocate(ISzAllocPtr, size_t size) { return size ? std::malloc(size) : nullptr; }
void Release(ISzAllocPtr, void* p) { std::free(p); }
const ISzAlloc kAlloc = {Allocate, Release};

// The shipped payload, opened, with each block decoded on this thread as the reference.
class OpenedPayload {
public:
    OpenedPayload() : payload_(LoadOwnPayload(::GetModuleHandleW(nullptr))) {
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
            Byte* buffer = nullptr;
            size_t size = 0;
            ASSERT_EQ(SZ_OK, decoder.take(block, &buffer, &size, [&] { ++pumps; }));
            ASSERT_EQ(expected[block].size(), size) << "block " << block;
            EXPECT_EQ(0, std::memcmp(expected[block].data(), buffer, size)) << "block " << block;
            ISzAlloc_Free(&kAlloc, buffer);
        }
    }
}

// Destroyed with a block decoded ahead and never taken, and in the middle of a decode: it
// ends its worker and frees what it decoded (the process's heap checks the rest).
TEST(BlockDecoder, EndsItsWorkerWhateverItIsDoing) {
    OpenedPayload archive;
    ASSERT_TRUE(archive.opened_);
    for (int round = 0; round < 3; ++round) {
        BlockDecoder decoder(archive.db_, archive.payload_, &kAlloc);
        if (round == 1) {
            Byte* buffer = nullptr;
            size_t size = 0;
            ASSERT_EQ(SZ_OK, decoder.take(0, &buffer, &size, {}));  // block 1 is now being decoded
            ISzAlloc_Free(&kAlloc, buffer);
        }
    }
}

}  // namespace
