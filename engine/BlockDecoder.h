#pragma once
// The payload's solid blocks decoded one ahead, on a worker thread, while the UI thread
// writes the files of the block it holds: the decode of the next block and the writing
// of the current one overlap, and the UI thread never decodes, so its windows stay
// responsive however large a block is. Nothing the user or the journal sees happens on
// the worker: it only fills buffers.
//
// At most two blocks are in memory: the one the caller holds and the one being decoded
// (or decoded and waiting). The caller drops its block before it takes the next one.
//
// Failure contract: take() returns the decoder's status for the block asked for; on
// failure no buffer is handed out, nothing is decoded ahead, and asking for the same
// block again decodes it afresh (the Retry of a failed entry). When no worker thread can
// be started, take() decodes on the caller's thread: slower, the same results.
// Destruction abandons a decode in progress at its next read of the archive and waits
// for the worker to end; whatever was decoded and not taken is freed.
#include <windows.h>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include "7z.h"
#include "engine/MemoryInStream.h"
#include "base/Handles.h"

class BlockDecoder {
public:
    static constexpr UInt32 kNoBlock = 0xFFFFFFFF;

    // `db` (an opened archive) and `payload` (its bytes) must outlive the decoder; `alloc`
    // gives the block buffers (the caller frees what it takes with it) and the decoder's
    // own tables. The worker starts on block 0 at once.
    BlockDecoder(const CSzArEx& db, std::span<const std::uint8_t> payload, ISzAllocPtr alloc);
    ~BlockDecoder();
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    // Waits for `block` and hands its buffer and size to the caller, then starts on the
    // block after it. While it waits, `pump` (when not empty) handles the thread's
    // messages as they arrive and at least every kPumpInterval milliseconds.
    SRes take(UInt32 block, Byte** buffer, size_t* size, const std::function<void()>& pump);

    static constexpr DWORD kPumpInterval = 15;

private:
    struct Decoded {
        UInt32 block = kNoBlock;
        Byte* buffer = nullptr;
        size_t size = 0;
        SRes result = SZ_OK;
    };
    // The archive as the worker reads it: a read fails once the decoder is being destroyed.
    struct CancellableStream {
        ISeekInStream vt;
        MemoryInStream inner;
        const std::atomic<bool>* stop;
    };

    static DWORD WINAPI ThreadMain(void* self);
    void work();
    Decoded decode(UInt32 block);
    void discard(Decoded& decoded);
    UInt32 after(UInt32 block) const;

    const CSzArEx& db_;
    ISzAllocPtr alloc_;
    CancellableStream stream_{};
    CLookToRead2 look_{};
    std::atomic<bool> stop_{false};

    std::mutex lock_;                 // guards the three below
    UInt32 wanted_ = 0;               // the block to decode next, or kNoBlock
    UInt32 decoding_ = kNoBlock;      // the block the worker is decoding now
    Decoded ready_;                   // decoded, not yet taken

    UniqueHandle workEvent_;   // set when wanted_ or ready_ changes: the worker looks again
    UniqueHandle readyEvent_;  // set when ready_ is filled
    UniqueHandle thread_;
};
