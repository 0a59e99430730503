#pragma once
// One solid block of the archive decoded into its buffer front to back, telling as it
// goes how many leading bytes of the buffer are final, so that the files at the front of
// a block can be written while the rest is still being decoded.
//
// The shapes of block the installer's archives use are decoded in steps of our own: an
// LZMA or LZMA2 stream alone or followed by the Delta filter, and the four streams of
// the BCJ2 x86 filter over LZMA/LZMA2 streams (its small call, jump and range streams
// first, then the main stream with the filter following it). Any other shape the LZMA
// SDK knows is decoded whole by the SDK and reported final at the end, and so is a block
// that carries a CRC of its own (it may be used only once that CRC is checked).
//
// Failure contract: returns the SDK's status for the block, as SzAr_DecodeFolder would
// (SZ_OK, SZ_ERROR_DATA, SZ_ERROR_CRC, SZ_ERROR_MEM, SZ_ERROR_UNSUPPORTED, or the
// stream's read error, which is how a decode is abandoned). `final` is called only with
// counts of bytes that are decoded correctly as far as the decoder can tell, growing;
// after a failure the bytes beyond the last count are undefined.
//
// `room` (when given) is asked before each step how many bytes of `out` the decode will
// have written at most once that step is done (growing, never more than `outSize`; the
// shapes decoded whole ask once for all of it). It may wait as
// long as it likes; a false abandons the decode, which then returns SZ_ERROR_READ as an
// abandoning stream's read does.
#include <cstddef>
#include <functional>
#include "7z.h"

SRes DecodeFolderInSteps(const CSzAr* archive, UInt32 folder, ILookInStreamPtr in, UInt64 startPos, Byte* out,
                         size_t outSize, ISzAllocPtr alloc, const std::function<void(size_t final)>& final,
                         const std::function<bool(size_t written)>& room = {});
