#pragma once
// The payload as the 7z decoder's seekable input stream, read in place from memory (the
// locked resource): no copy of the whole, no temporary file.
//
// Read: at the end it fails with SZ_ERROR_READ and leaves *size unchanged; otherwise it
// copies min(*size, remaining) bytes, advances, stores the count and returns SZ_OK.
// Seek: origin 0/1/2 = from start / current / end, in unsigned 32-bit arithmetic on the
// low 32 bits of the offset (so a negative offset moves back), the result capped at the
// payload size; it stores the new position and returns SZ_OK. Any other origin returns
// 87 (invalid parameter) and changes nothing.
#include <cstdint>
#include "7zTypes.h"

struct MemoryInStream {
    ISeekInStream vt;  // Read, Seek: the decoder calls through these
    UInt32 size;
    UInt32 position;
    const Byte* data;
};

void MemoryInStream_Init(MemoryInStream* stream, const void* data, UInt32 size);
