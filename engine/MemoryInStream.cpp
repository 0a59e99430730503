#include "engine/MemoryInStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr SRes kInvalidParameter = 87;

// `vt` is the first member, so the interface pointer is the stream itself.
MemoryInStream* Self(ISeekInStreamPtr p) {
    return const_cast<MemoryInStream*>(reinterpret_cast<const MemoryInStream*>(p));
}

SRes MemoryRead(ISeekInStreamPtr p, void* buffer, size_t* size) {
    MemoryInStream* stream = Self(p);
    if (stream->position == stream->size) return SZ_ERROR_READ;
    const size_t count = std::min<size_t>(*size, stream->size - stream->position);
    std::memcpy(buffer, stream->data + stream->position, count);
    stream->position += static_cast<UInt32>(count);
    *size = count;
    return SZ_OK;
}

SRes MemorySeek(ISeekInStreamPtr p, Int64* offset, ESzSeek origin) {
    MemoryInStream* stream = Self(p);
    const UInt32 low = static_cast<UInt32>(static_cast<UInt64>(*offset));
    UInt32 target;
    switch (origin) {
        case SZ_SEEK_SET: target = low; break;
        case SZ_SEEK_CUR: target = stream->position + low; break;
        case SZ_SEEK_END: target = stream->size + low; break;
        default: return kInvalidParameter;
    }
    stream->position = std::min(target, stream->size);
    *offset = static_cast<Int64>(stream->position);
    return SZ_OK;
}

}  // namespace

void MemoryInStream_Init(MemoryInStream* stream, const void* data, UInt32 size) {
    stream->vt.Read = MemoryRead;
    stream->vt.Seek = MemorySeek;
    stream->size = size;
    stream->position = 0;
    stream->data = static_cast<const Byte*>(data);
}
