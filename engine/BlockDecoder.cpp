#include "engine/BlockDecoder.h"

#include <algorithm>

#include "engine/FolderDecode.h"

namespace {

// The worker's own window on the archive: the UI thread's look stream is never shared.
constexpr size_t kLookBufferSize = size_t{1} << 18;

}  // namespace

BlockDecoder::BlockDecoder(const CSzArEx& db, std::span<const std::uint8_t> payload, ISzAllocPtr alloc)
    : db_(db), alloc_(alloc) {
    MemoryInStream_Init(&stream_.inner, payload.data(), static_cast<UInt32>(payload.size()));
    stream_.stop = &stop_;
    stream_.abandon = &abandon_;
    stream_.vt.Read = [](ISeekInStreamPtr p, void* buffer, size_t* size) -> SRes {
        const auto* self = reinterpret_cast<const CancellableStream*>(p);
        if (self->stop->load(std::memory_order_relaxed) || self->abandon->load(std::memory_order_relaxed))
            return SZ_ERROR_READ;
        return self->inner.vt.Read(&self->inner.vt, buffer, size);
    };
    stream_.vt.Seek = [](ISeekInStreamPtr p, Int64* offset, ESzSeek origin) -> SRes {
        const auto* self = reinterpret_cast<const CancellableStream*>(p);
        return self->inner.vt.Seek(&self->inner.vt, offset, origin);
    };
    look_.buf = static_cast<Byte*>(ISzAlloc_Alloc(alloc_, kLookBufferSize));
    look_.bufSize = look_.buf ? kLookBufferSize : 0;
    look_.realStream = &stream_.vt;
    LookToRead2_CreateVTable(&look_, False);
    LookToRead2_INIT(&look_);
    wanted_ = db_.db.NumFolders > 0 ? 0 : kNoBlock;

    workEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    changedEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (look_.buf && workEvent_ && changedEvent_)
        thread_.reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
}

BlockDecoder::~BlockDecoder() {
    if (thread_) {
        stop_ = true;
        ::SetEvent(workEvent_.get());
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }
    hand_.reset();
    ahead_.reset();
    ISzAlloc_Free(alloc_, look_.buf);
}

DWORD WINAPI BlockDecoder::ThreadMain(void* self) {
    static_cast<BlockDecoder*>(self)->work();
    return 0;
}

void BlockDecoder::work() {
    for (;;) {
        Slot* slot = nullptr;
        for (;;) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (stop_) return;
                // One block waits at most: the next is started once this one is taken.
                if (wanted_ != kNoBlock && !ahead_ && !active_) {
                    ahead_ = std::make_unique<Slot>();
                    ahead_->block = wanted_;
                    wanted_ = kNoBlock;
                    active_ = slot = ahead_.get();
                    abandon_ = false;
                    break;
                }
            }
            ::WaitForSingleObject(workEvent_.get(), INFINITE);
        }
        decode(*slot);
        {
            std::lock_guard<std::mutex> guard(lock_);
            active_ = nullptr;
            slot->ended.store(true, std::memory_order_release);
        }
        ::SetEvent(changedEvent_.get());
    }
}

SRes BlockDecoder::take(UInt32 block, const std::function<void()>& pump) {
    drop();
    if (!thread_) {
        hand_ = std::make_unique<Slot>();
        hand_->block = block;
        decode(*hand_);
        hand_->ended = true;
        return hand_->pages.data() || hand_->result == SZ_OK ? SZ_OK : hand_->result;
    }
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (ahead_ && ahead_->block == block && (ahead_->pages.data() || ahead_->ended)) {
                hand_ = std::move(ahead_);
                handPages_ = &hand_->pages;
                handHeld_ = handSize_ = hand_->size;
                handUnread_ = 0;
                wanted_ = after(block);
                ::SetEvent(workEvent_.get());
                // A buffer that could not be had is the one failure handed out here.
                return hand_->pages.data() || hand_->result == SZ_OK ? SZ_OK : hand_->result;
            }
            if (ahead_ && ahead_->block != block) {
                // A block decoded ahead that is not the one needed (a file out of block
                // order) makes room for the one that is, once the worker lets go of it.
                if (active_ == ahead_.get())
                    abandon_ = true;
                else
                    ahead_.reset();
                ::SetEvent(workEvent_.get());
            }
            if (!ahead_ && !active_) {
                wanted_ = block;
                ::SetEvent(workEvent_.get());
            }
        }
        wait(pump);
    }
}

SRes BlockDecoder::ready(size_t begin, size_t end, const std::function<void()>& pump) {
    if (!hand_) return SZ_ERROR_FAIL;
    bool again = false;
    {
        // Below what the caller said it would not read again, pages may be gone: the
        // block is decoded afresh for them. Else the worker may now give back below `begin`.
        std::lock_guard<std::mutex> guard(lock_);
        if (hand_ && handPages_ == &hand_->pages) {
            again = begin < handUnread_;
            if (begin > handUnread_) {
                handUnread_ = begin;
                // Waking the worker takes a system call: only once its next step fits.
                if (waiting_ && begin >= wakeAt_) ::SetEvent(workEvent_.get());
            }
        }
    }
    if (again) {
        if (const SRes res = take(hand_->block, pump); res != SZ_OK) return res;
        std::lock_guard<std::mutex> guard(lock_);
        handUnread_ = begin;
    }
    for (;;) {
        if (hand_->final.load(std::memory_order_acquire) >= end) return SZ_OK;
        if (hand_->ended.load(std::memory_order_acquire))
            return hand_->final.load(std::memory_order_acquire) >= end ? SZ_OK
                   : hand_->result != SZ_OK                             ? hand_->result
                                                                        : SZ_ERROR_FAIL;
        wait(pump);
    }
}

void BlockDecoder::drop() {
    if (!hand_) return;
    for (;;) {
        {
            // The worker lets go of the block: its decode, or pages it is giving back.
            std::lock_guard<std::mutex> guard(lock_);
            if (active_ != hand_.get() && !givingBack_) {
                handPages_ = nullptr;
                handHeld_ = handSize_ = handUnread_ = 0;
                if (waiting_) ::SetEvent(workEvent_.get());
                break;
            }
            if (active_ == hand_.get()) abandon_ = true;
        }
        ::SetEvent(workEvent_.get());
        wait({});
    }
    hand_.reset();
}

BlockDecoder::Holding BlockDecoder::holding() const {
    std::lock_guard<std::mutex> guard(lock_);
    Holding h;
    h.held = heldLocked();
    h.bound = ahead_ ? std::max(handSize_, ahead_->size) : handSize_;
    h.peak = peak_;
    h.waiting = waiting_;
    return h;
}

size_t BlockDecoder::heldLocked() const { return handHeld_ + (ahead_ ? ahead_->written : 0); }

// Waits for the worker to change something, serving the windows meanwhile: as messages
// arrive and at least every kPumpInterval ms, however often the worker reports.
bool BlockDecoder::wait(const std::function<void()>& pump) {
    HANDLE changed = changedEvent_.get();
    if (!pump) {
        ::WaitForSingleObject(changed, INFINITE);
        return true;
    }
    const DWORD since = ::GetTickCount() - lastPump_;
    const DWORD timeout = since >= kPumpInterval ? 0 : kPumpInterval - since;
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &changed, FALSE, timeout, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 || ::GetTickCount() - lastPump_ >= kPumpInterval) {
        pump();
        lastPump_ = ::GetTickCount();
    }
    return woken == WAIT_OBJECT_0;
}

// Before each step of a decode: false once the decode is to be abandoned. A block decoded
// ahead waits while the bytes held for blocks would grow beyond the larger block. It
// first gives back the pages of the block in hand that the caller will not read again
// (the block in hand has ended its decode, or this one would not have started); here,
// off the UI thread, and only as far as room is needed, since each give-back costs a
// system call. The caller moving on, taking, dropping or abandoning sets workEvent_.
bool BlockDecoder::room(Slot& slot, size_t written) {
    std::unique_lock<std::mutex> guard(lock_);
    size_t tried = 0;  // a give-back the system refused is not tried again for the same bytes
    for (;;) {
        if (stop_ || abandon_) return false;
        if (ahead_.get() != &slot || handHeld_ + written <= std::max(handSize_, slot.size)) {
            slot.written = written;
            peak_ = std::max(peak_, heldLocked());
            return true;
        }
        if (handPages_ && handUnread_ > tried) {
            PageBuffer* const pages = handPages_;
            const size_t below = tried = handUnread_;
            givingBack_ = true;
            guard.unlock();
            pages->giveBackBelow(below);
            guard.lock();
            givingBack_ = false;
            handHeld_ = handSize_ - pages->givenBack();
            ::SetEvent(changedEvent_.get());  // a drop() may wait for the pages
            continue;
        }
        // The caller's offset from which the pages below it make room for this step.
        const size_t over = handHeld_ + written - std::max(handSize_, slot.size);
        const size_t page = PageBuffer::PageSize();
        wakeAt_ = handPages_ ? (handPages_->givenBack() + over + page - 1) / page * page : SIZE_MAX;
        waiting_ = true;
        guard.unlock();
        ::WaitForSingleObject(workEvent_.get(), INFINITE);
        guard.lock();
        waiting_ = false;
    }
}

void BlockDecoder::decode(Slot& slot) {
    const UInt64 unpackSize = SzAr_GetFolderUnpackSize(&db_.db, slot.block);
    const size_t size = static_cast<size_t>(unpackSize);
    if (size != unpackSize) {
        slot.result = SZ_ERROR_MEM;
        return;
    }
    PageBuffer pages(size);
    Byte* const buffer = pages.data();
    if (size && !buffer) {
        slot.result = SZ_ERROR_MEM;
        return;
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        slot.pages = std::move(pages);
        slot.size = size;
    }
    ::SetEvent(changedEvent_.get());  // the caller may take it now
    slot.result = DecodeFolderInSteps(
        &db_.db, slot.block, &look_.vt, db_.dataPos, buffer, size, alloc_,
        [&](size_t final) {
            slot.final.store(final, std::memory_order_release);
            ::SetEvent(changedEvent_.get());
        },
        [&](size_t written) { return room(slot, written); });
}

UInt32 BlockDecoder::after(UInt32 block) const { return block + 1 < db_.db.NumFolders ? block + 1 : kNoBlock; }
