#include "engine/BlockDecoder.h"

namespace {

// The worker's own window on the archive: the UI thread's look stream is never shared.
constexpr size_t kLookBufferSize = size_t{1} << 18;

}  // namespace

BlockDecoder::BlockDecoder(const CSzArEx& db, std::span<const std::uint8_t> payload, ISzAllocPtr alloc)
    : db_(db), alloc_(alloc) {
    MemoryInStream_Init(&stream_.inner, payload.data(), static_cast<UInt32>(payload.size()));
    stream_.stop = &stop_;
    stream_.vt.Read = [](ISeekInStreamPtr p, void* buffer, size_t* size) -> SRes {
        const auto* self = reinterpret_cast<const CancellableStream*>(p);
        if (self->stop->load(std::memory_order_relaxed)) return SZ_ERROR_READ;
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
    readyEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (look_.buf && workEvent_ && readyEvent_)
        thread_.reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
}

BlockDecoder::~BlockDecoder() {
    if (thread_) {
        stop_ = true;
        ::SetEvent(workEvent_.get());
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }
    discard(ready_);
    ISzAlloc_Free(alloc_, look_.buf);
}

DWORD WINAPI BlockDecoder::ThreadMain(void* self) {
    static_cast<BlockDecoder*>(self)->work();
    return 0;
}

void BlockDecoder::work() {
    for (;;) {
        UInt32 block;
        for (;;) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (stop_) return;
                // One block waits at most: the next is started once this one is taken.
                if (wanted_ != kNoBlock && ready_.block == kNoBlock) {
                    block = wanted_;
                    wanted_ = kNoBlock;
                    decoding_ = block;
                    break;
                }
            }
            ::WaitForSingleObject(workEvent_.get(), INFINITE);
        }
        Decoded decoded = decode(block);
        {
            std::lock_guard<std::mutex> guard(lock_);
            decoding_ = kNoBlock;
            ready_ = decoded;
        }
        ::SetEvent(readyEvent_.get());
    }
}

SRes BlockDecoder::take(UInt32 block, Byte** buffer, size_t* size, const std::function<void()>& pump) {
    *buffer = nullptr;
    *size = 0;
    if (!thread_) {
        Decoded decoded = decode(block);
        *buffer = decoded.buffer;
        *size = decoded.size;
        return decoded.result;
    }
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (ready_.block == block) {
                *buffer = ready_.buffer;
                *size = ready_.size;
                const SRes result = ready_.result;
                ready_ = Decoded{};
                // A failed block is decoded again only when asked for again.
                wanted_ = result == SZ_OK ? after(block) : kNoBlock;
                ::SetEvent(workEvent_.get());
                return result;
            }
            // A block decoded ahead that is not the one needed (a file out of block order)
            // makes room for the one that is.
            if (ready_.block != kNoBlock) discard(ready_);
            if (decoding_ != block) wanted_ = block;
            ::SetEvent(workEvent_.get());
        }
        HANDLE ready = readyEvent_.get();
        if (!pump) {
            ::WaitForSingleObject(ready, INFINITE);
            continue;
        }
        // Woken by the block, by a message or by the interval: the windows are served
        // either way, then the state is looked at again.
        ::MsgWaitForMultipleObjects(1, &ready, FALSE, kPumpInterval, QS_ALLINPUT);
        pump();
    }
}

BlockDecoder::Decoded BlockDecoder::decode(UInt32 block) {
    Decoded decoded;
    decoded.block = block;
    const UInt64 unpackSize = SzAr_GetFolderUnpackSize(&db_.db, block);
    decoded.size = static_cast<size_t>(unpackSize);
    if (decoded.size != unpackSize) {
        decoded.result = SZ_ERROR_MEM;
        decoded.size = 0;
        return decoded;
    }
    if (decoded.size != 0) {
        decoded.buffer = static_cast<Byte*>(ISzAlloc_Alloc(alloc_, decoded.size));
        if (!decoded.buffer) {
            decoded.result = SZ_ERROR_MEM;
            decoded.size = 0;
            return decoded;
        }
    }
    decoded.result = SzAr_DecodeFolder(&db_.db, block, &look_.vt, db_.dataPos, decoded.buffer, decoded.size, alloc_);
    if (decoded.result != SZ_OK) {
        ISzAlloc_Free(alloc_, decoded.buffer);
        decoded.buffer = nullptr;
        decoded.size = 0;
    }
    return decoded;
}

void BlockDecoder::discard(Decoded& decoded) {
    ISzAlloc_Free(alloc_, decoded.buffer);
    decoded = Decoded{};
}

UInt32 BlockDecoder::after(UInt32 block) const { return block + 1 < db_.db.NumFolders ? block + 1 : kNoBlock; }
