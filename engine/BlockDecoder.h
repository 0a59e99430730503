#pragma once
// The payload's solid blocks decoded on a worker thread, one block ahead, while the UI
// thread writes the files of the block it holds: the decode of a block and the writing
// of files overlap, and the UI thread never decodes, so its windows stay responsive
// however large a block is. A block is handed over as soon as its decode has started,
// and the caller waits only for the bytes of the file it is about to write
// (engine/FolderDecode.h says how far each shape of block is final while it decodes).
// Nothing the user or the journal sees happens on the worker: it only fills buffers.
//
// At most two blocks are in memory, and together they hold no more than the larger of
// them alone: the decode ahead waits, step by step, while the bytes the block in hand
// still holds and those it has written would be more than the larger block's size, and
// makes room by giving back the pages of the block in hand below the file the caller
// reads now (the block in hand has ended its decode by then: while a block decodes, the
// decoder may copy from any earlier byte of it). It goes on as the caller moves on, and
// at once when the caller takes its block, drops the one in hand or takes another: the
// caller never waits for a decode that waits for it. So however slow the caller, the
// blocks hold at most the larger block's size, not both blocks.
//
// Failure contract: take() fails only when the block's buffer cannot be had; ready()
// returns SZ_OK once the bytes asked for of the block in hand are final, or the status
// the decode of that block ended with when it ended before them (a damaged block). After
// a failure the caller drops the block, and asking for it again decodes it afresh (the
// Retry of a failed entry). When no worker thread can be started, take() decodes on the
// caller's thread: slower, the same results. Dropping a block, taking another or
// destroying the decoder abandons a decode in progress or waiting at its next step and
// waits for the worker to let go of it; whatever was decoded and not taken is freed.
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
#include "base/PageBuffer.h"

class BlockDecoder {
public:
    static constexpr UInt32 kNoBlock = 0xFFFFFFFF;

    // `db` (an opened archive) and `payload` (its bytes) must outlive the decoder; `alloc`
    // gives the decoder's own tables (the blocks have pages of their own). The worker
    // starts on block 0 at once.
    BlockDecoder(const CSzArEx& db, std::span<const std::uint8_t> payload, ISzAllocPtr alloc);
    ~BlockDecoder();
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    // Makes `block` the block in hand, dropping the one held, once its decode has started
    // (the worker then starts on the block after it). While it waits (and in ready()),
    // `pump` (when not empty) handles the thread's messages as they arrive and at least
    // every kPumpInterval milliseconds.
    SRes take(UInt32 block, const std::function<void()>& pump);
    // Waits until bytes `begin` to `end` of the block in hand are final. Nothing below
    // `begin` is read again: the worker may give back those whole pages. Asking later for
    // a `begin` below an earlier one decodes the block afresh first (as take() does; the
    // same `begin` again, the Retry of a file, is fine).
    SRes ready(size_t begin, size_t end, const std::function<void()>& pump);
    // The block in hand: its buffer (its full size; only what ready() vouched for last may
    // be read) and number; kNoBlock when none.
    const Byte* buffer() const { return hand_ ? hand_->pages.data() : nullptr; }
    size_t size() const { return hand_ ? hand_->size : 0; }
    UInt32 block() const { return hand_ ? hand_->block : kNoBlock; }
    void drop();

    static constexpr DWORD kPumpInterval = 15;

    // The decoder's own account of the bytes it holds for blocks, for tests: the block in
    // hand's not given back (all of it until pages are given back) plus what the decode
    // ahead has written; the bound it keeps that sum under while it decodes ahead; the
    // most the sum has been since the start; whether the decode ahead waits for room.
    struct Holding {
        size_t held = 0;
        size_t bound = 0;
        size_t peak = 0;
        bool waiting = false;
    };
    Holding holding() const;

private:
    // One block's buffer and how far it is decoded: `final` grows as the worker goes;
    // `result` is valid once `ended` is set; `written` (under lock_) is how much of the
    // buffer the decode has written or is about to in its current step.
    struct Slot {
        UInt32 block = kNoBlock;
        PageBuffer pages;
        size_t size = 0;
        std::atomic<size_t> final{0};
        std::atomic<bool> ended{false};
        SRes result = SZ_OK;
        size_t written = 0;
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
    bool room(Slot& slot, size_t written);
    size_t heldLocked() const;
    bool wait(const std::function<void()>& pump);
    UInt32 after(UInt32 block) const;

    const CSzArEx& db_;
    ISzAllocPtr alloc_;
    CancellableStream stream_{};
    CLookToRead2 look_{};
    std::atomic<bool> stop_{false};
    std::atomic<bool> abandon_{false};  // the worker gives up the block it decodes

    std::unique_ptr<Slot> hand_;      // the caller's; the worker may still be decoding it
    DWORD lastPump_ = 0;
    mutable std::mutex lock_;         // guards the members below up to the events
    UInt32 wanted_ = 0;               // the block to decode next, or kNoBlock
    std::unique_ptr<Slot> ahead_;     // being decoded or decoded, not yet taken
    const Slot* active_ = nullptr;    // the slot the worker writes into, or null
    PageBuffer* handPages_ = nullptr; // the block in hand's pages, or null
    size_t handHeld_ = 0;             // bytes of the block in hand not given back
    size_t handSize_ = 0;             // the size of the block in hand; 0 when none
    size_t handUnread_ = 0;           // the caller reads nothing of it below this again
    bool givingBack_ = false;         // the worker gives back pages of handPages_
    size_t peak_ = 0;                 // the most handHeld_ + ahead_->written has been
    bool waiting_ = false;            // the worker waits for room for the block ahead
    size_t wakeAt_ = 0;               // ... until the caller reads from here on

    // Set when wanted_, ahead_ or the block in hand changes, when the caller moves on while
    // the worker waits for room, and to abandon: the worker looks again.
    UniqueHandle workEvent_;
    // Set when a slot starts, grows or ends, or pages were given back: the caller looks again.
    UniqueHandle changedEvent_;
    UniqueHandle thread_;
};
