#pragma once
// The payload's solid blocks decoded on a worker thread, one block ahead, while the UI
// thread writes the files of the block it holds: the decode of a block and the writing
// of files overlap, and the UI thread never decodes, so its windows stay responsive
// however large a block is. A block is handed over as soon as its decode has started,
// and the caller waits only for the bytes of the file it is about to write
// (engine/FolderDecode.h says how far each shape of block is final while it decodes).
// Nothing the user or the journal sees happens on the worker: it only fills buffers.
//
// At most two blocks are in memory: the one the caller holds and the one being decoded
// (or decoded and waiting). The caller's block goes when it takes the next one, or drops it.
//
// Failure contract: take() fails only when the block's buffer cannot be had; ready()
// returns SZ_OK once the first `end` bytes of the block in hand are final, or the status
// the decode of that block ended with when it ended before them (a damaged block). After
// a failure the caller drops the block, and asking for it again decodes it afresh (the
// Retry of a failed entry). When no worker thread can be started, take() decodes on the
// caller's thread: slower, the same results. Dropping a block, taking another or
// destroying the decoder abandons a decode in progress at its next read of the archive
// and waits for the worker to let go of it; whatever was decoded and not taken is freed.
#include <windows.h>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include "7z.h"
#include "engine/MemoryInStream.h"
#include "base/Handles.h"

class BlockDecoder {
public:
    static constexpr UInt32 kNoBlock = 0xFFFFFFFF;

    // `db` (an opened archive) and `payload` (its bytes) must outlive the decoder; `alloc`
    // gives the block buffers and the decoder's own tables. The worker starts on block 0
    // at once.
    BlockDecoder(const CSzArEx& db, std::span<const std::uint8_t> payload, ISzAllocPtr alloc);
    ~BlockDecoder();
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    // Makes `block` the block in hand, dropping the one held, once its decode has started
    // (the worker then starts on the block after it). While it waits (and in ready()),
    // `pump` (when not empty) handles the thread's messages as they arrive and at least
    // every kPumpInterval milliseconds.
    SRes take(UInt32 block, const std::function<void()>& pump);
    // Waits until the first `end` bytes of the block in hand are final.
    SRes ready(size_t end, const std::function<void()>& pump);
    // The block in hand: its buffer (its full size; only what ready() vouched for may be
    // read) and number; kNoBlock when none.
    const Byte* buffer() const { return hand_ ? hand_->buffer : nullptr; }
    size_t size() const { return hand_ ? hand_->size : 0; }
    UInt32 block() const { return hand_ ? hand_->block : kNoBlock; }
    void drop();

    static constexpr DWORD kPumpInterval = 15;

private:
    // One block's buffer and how far it is decoded: `final` grows as the worker goes;
    // `result` is valid once `ended` is set.
    struct Slot {
        UInt32 block = kNoBlock;
        Byte* buffer = nullptr;
        size_t size = 0;
        std::atomic<size_t> final{0};
        std::atomic<bool> ended{false};
        SRes result = SZ_OK;
    };
    // The archive as the worker reads it: a read fails once the decode is abandoned.
    struct CancellableStream {
        ISeekInStream vt;
        MemoryInStream inner;
        const std::atomic<bool>* stop;
        const std::atomic<bool>* abandon;
    };

    static DWORD WINAPI ThreadMain(void* self);
    void work();
    void decode(Slot& slot);
    void release(std::unique_ptr<Slot>& slot);
    bool wait(const std::function<void()>& pump);
    UInt32 after(UInt32 block) const;

    const CSzArEx& db_;
    ISzAllocPtr alloc_;
    CancellableStream stream_{};
    CLookToRead2 look_{};
    std::atomic<bool> stop_{false};
    std::atomic<bool> abandon_{false};  // the worker gives up the block it decodes

    std::unique_ptr<Slot> hand_;      // the caller's; the worker may still be decoding it
    std::mutex lock_;                 // guards the three below
    UInt32 wanted_ = 0;               // the block to decode next, or kNoBlock
    std::unique_ptr<Slot> ahead_;     // being decoded or decoded, not yet taken
    const Slot* active_ = nullptr;    // the slot the worker writes into, or null
    DWORD lastPump_ = 0;

    UniqueHandle workEvent_;     // set when wanted_ or ahead_ changes: the worker looks again
    UniqueHandle changedEvent_;  // set when a slot starts, grows or ends: the caller looks again
    UniqueHandle thread_;
};
