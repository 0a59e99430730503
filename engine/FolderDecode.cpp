#include "engine/FolderDecode.h"

#include <algorithm>
#include <cstring>
#include "Bcj2.h"
#include "7zCrc.h"
#include "Delta.h"
#include "Lzma2Dec.h"
#include "LzmaDec.h"

namespace {

constexpr UInt64 kCopy = 0, kLzma = 0x30101, kLzma2 = 0x21, kDelta = 3, kBcj2 = 0x303011B;
// How far the decoder goes between two reports, and how much input it looks at a time.
constexpr size_t kStep = size_t{1} << 18;
constexpr size_t kLook = size_t{1} << 18;

// The two stream decoders behind one face, for the loop below.
struct Lzma {
    CLzmaDec s;
    static constexpr bool kMayEndWithoutMark = true;
    SRes allocate(const Byte* props, unsigned size, ISzAllocPtr alloc) {
        LzmaDec_CONSTRUCT(&s)
        return LzmaDec_AllocateProbs(&s, props, size, alloc);
    }
    void start(Byte* out, size_t size) {
        s.dic = out;
        s.dicBufSize = size;
        LzmaDec_Init(&s);
    }
    SRes decode(SizeT limit, const Byte* in, SizeT* inSize, ELzmaFinishMode mode, ELzmaStatus* status) {
        return LzmaDec_DecodeToDic(&s, limit, in, inSize, mode, status);
    }
    size_t position() const { return s.dicPos; }
    UInt32 window() const { return s.prop.dicSize; }
    void release(ISzAllocPtr alloc) { LzmaDec_FreeProbs(&s, alloc); }
};

struct Lzma2 {
    CLzma2Dec s;
    static constexpr bool kMayEndWithoutMark = false;
    SRes allocate(const Byte* props, unsigned size, ISzAllocPtr alloc) {
        Lzma2Dec_CONSTRUCT(&s)
        if (size != 1) return SZ_ERROR_DATA;
        return Lzma2Dec_AllocateProbs(&s, props[0], alloc);
    }
    void start(Byte* out, size_t size) {
        s.decoder.dic = out;
        s.decoder.dicBufSize = size;
        Lzma2Dec_Init(&s);
    }
    SRes decode(SizeT limit, const Byte* in, SizeT* inSize, ELzmaFinishMode mode, ELzmaStatus* status) {
        return Lzma2Dec_DecodeToDic(&s, limit, in, inSize, mode, status);
    }
    size_t position() const { return s.decoder.dicPos; }
    UInt32 window() const { return s.decoder.prop.dicSize; }
    void release(ISzAllocPtr alloc) { Lzma2Dec_FreeProbs(&s, alloc); }
};

// `window` is told the decoder's dictionary size before the first step; `step` gets the
// count of bytes decoded after each step. The checks are the SDK's own, so a stream
// fails here exactly when it fails there.
// `room` is asked before each step for the decoder's position once the step is done,
// and a false abandons the decode.
using Window = std::function<void(UInt32)>;
using Step = std::function<void(size_t)>;
using Room = std::function<bool(size_t)>;

template <class Decoder>
SRes DecodeStream(const Byte* props, unsigned propsSize, UInt64 inSize, ILookInStreamPtr in, Byte* out,
                  size_t outSize, ISzAllocPtr alloc, const Window& window, const Step& step, const Room& room) {
    Decoder decoder;
    SRes res = decoder.allocate(props, propsSize, alloc);
    if (res != SZ_OK) return res;
    decoder.start(out, outSize);
    if (window) window(decoder.window());
    for (;;) {
        const size_t before = decoder.position();
        const bool last = outSize - before <= kStep;
        const size_t limit = last ? outSize : before + kStep;
        if (room && !room(limit)) {
            res = SZ_ERROR_READ;
            break;
        }
        const void* inBuf = nullptr;
        size_t lookahead = kLook;
        if (lookahead > inSize) lookahead = static_cast<size_t>(inSize);
        res = ILookInStream_Look(in, &inBuf, &lookahead);
        if (res != SZ_OK) break;
        SizeT inProcessed = lookahead;
        ELzmaStatus status;
        res = decoder.decode(limit, static_cast<const Byte*>(inBuf), &inProcessed,
                             last ? LZMA_FINISH_END : LZMA_FINISH_ANY, &status);
        inSize -= inProcessed;
        if (res != SZ_OK) break;
        if (status == LZMA_STATUS_FINISHED_WITH_MARK) {
            if (outSize != decoder.position() || inSize != 0) res = SZ_ERROR_DATA;
            break;
        }
        if (Decoder::kMayEndWithoutMark && outSize == decoder.position() && inSize == 0 &&
            status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK)
            break;
        if (inProcessed == 0 && before == decoder.position()) {
            res = SZ_ERROR_DATA;
            break;
        }
        res = ILookInStream_Skip(in, inProcessed);
        if (res != SZ_OK) break;
        // The end is reported by the caller once the stream has ended as it should.
        if (step && decoder.position() < outSize) step(decoder.position());
    }
    decoder.release(alloc);
    return res;
}

SRes DecodeCoder(const CSzCoderInfo& coder, const Byte* propsData, UInt64 inSize, ILookInStreamPtr in, Byte* out,
                 size_t outSize, ISzAllocPtr alloc, const Window& window = {}, const Step& step = {},
                 const Room& room = {}) {
    const Byte* props = propsData + coder.PropsOffset;
    if (coder.MethodID == kLzma)
        return DecodeStream<Lzma>(props, coder.PropsSize, inSize, in, out, outSize, alloc, window, step, room);
    return DecodeStream<Lzma2>(props, coder.PropsSize, inSize, in, out, outSize, alloc, window, step, room);
}

bool IsStreamCoder(const CSzCoderInfo& coder) {
    return coder.NumStreams == 1 && (coder.MethodID == kLzma || coder.MethodID == kLzma2);
}

enum class Shape { Other, Single, Delta, Bcj2 };

// The shapes decoded in steps here, each as the SDK's folder check accepts it.
Shape ShapeOf(const CSzFolder& f) {
    if (f.NumCoders < 1 || !IsStreamCoder(f.Coders[0])) return Shape::Other;
    if (f.NumCoders == 1)
        return f.NumPackStreams == 1 && f.PackStreams[0] == 0 && f.NumBonds == 0 ? Shape::Single : Shape::Other;
    if (f.NumCoders == 2) {
        const CSzCoderInfo& c = f.Coders[1];
        const bool bonded = c.NumStreams == 1 && f.NumPackStreams == 1 && f.PackStreams[0] == 0 && f.NumBonds == 1 &&
                            f.Bonds[0].InIndex == 1 && f.Bonds[0].OutIndex == 0;
        return bonded && c.MethodID == kDelta && c.PropsSize == 1 ? Shape::Delta : Shape::Other;
    }
    if (f.NumCoders == 4) {
        const bool streams = IsStreamCoder(f.Coders[1]) && IsStreamCoder(f.Coders[2]) &&
                             f.Coders[3].MethodID == kBcj2 && f.Coders[3].NumStreams == 4;
        const bool bonded = f.NumPackStreams == 4 && f.PackStreams[0] == 2 && f.PackStreams[1] == 6 &&
                            f.PackStreams[2] == 1 && f.PackStreams[3] == 0 && f.NumBonds == 3 &&
                            f.Bonds[0].InIndex == 5 && f.Bonds[0].OutIndex == 0 && f.Bonds[1].InIndex == 4 &&
                            f.Bonds[1].OutIndex == 1 && f.Bonds[2].InIndex == 3 && f.Bonds[2].OutIndex == 2;
        return streams && bonded ? Shape::Bcj2 : Shape::Other;
    }
    return Shape::Other;
}

// A temporary buffer of the decoder's allocator.
struct Temp {
    ISzAllocPtr alloc;
    Byte* bytes = nullptr;
    size_t size = 0;
    ~Temp() { ISzAlloc_Free(alloc, bytes); }
    bool make(UInt64 wanted) {
        size = static_cast<size_t>(wanted);
        if (size != wanted) return false;
        bytes = static_cast<Byte*>(ISzAlloc_Alloc(alloc, size));
        return bytes != nullptr || size == 0;
    }
};

SRes CopyStream(UInt64 inSize, ILookInStreamPtr in, Byte* out) {
    while (inSize > 0) {
        const void* inBuf;
        size_t size = kLook;
        if (size > inSize) size = static_cast<size_t>(inSize);
        if (const SRes res = ILookInStream_Look(in, &inBuf, &size); res != SZ_OK) return res;
        if (size == 0) return SZ_ERROR_INPUT_EOF;
        std::memcpy(out, inBuf, size);
        out += size;
        inSize -= size;
        if (const SRes res = ILookInStream_Skip(in, size); res != SZ_OK) return res;
    }
    return SZ_OK;
}

// The BCJ2 block: the call and jump streams (coders 1 and 0) and the range coder's stream
// (stored) are read whole first; the main stream (coder 2) is decoded into the tail of
// the block and the filter writes the block from its start, in place behind it. The
// filter's output reaches into the tail once it has passed the call and jump streams'
// size; it may overwrite only main-stream bytes that the LZMA decoder will never look
// back at again, those more than its dictionary behind the decoder's position.
// Returns SZ_ERROR_UNSUPPORTED (before touching the block) when the sizes do not fit
// this scheme: the SDK's whole decode then gives its own verdict.
SRes DecodeBcj2(const CSzFolder& folder, const Byte* propsData, const UInt64* unpackSizes,
                const UInt64* packPositions, ILookInStreamPtr in, UInt64 startPos, Byte* out, size_t outSize,
                ISzAllocPtr alloc, const Step& final, const Room& room) {
    Temp jump{alloc}, call{alloc}, rc{alloc};
    if (!jump.make(unpackSizes[0]) || !call.make(unpackSizes[1])) return SZ_ERROR_MEM;
    const UInt64 mainSize = unpackSizes[2];
    const UInt64 rcSize = packPositions[2] - packPositions[1];
    if (mainSize > outSize || (jump.size & 3) != 0 || (call.size & 3) != 0 ||
        mainSize + jump.size + call.size != outSize)
        return SZ_ERROR_UNSUPPORTED;
    const auto seek = [&](UInt32 stream) { return LookInStream_SeekTo(in, startPos + packPositions[stream]); };
    const auto packSize = [&](UInt32 stream) { return packPositions[stream + 1] - packPositions[stream]; };
    SRes res = seek(3);
    if (res == SZ_OK)
        res = DecodeCoder(folder.Coders[0], propsData, packSize(3), in, jump.bytes, jump.size, alloc);
    if (res == SZ_OK) res = seek(2);
    if (res == SZ_OK)
        res = DecodeCoder(folder.Coders[1], propsData, packSize(2), in, call.bytes, call.size, alloc);
    if (res == SZ_OK && !rc.make(rcSize)) res = SZ_ERROR_MEM;
    if (res == SZ_OK) res = seek(1);
    if (res == SZ_OK) res = CopyStream(rcSize, in, rc.bytes);
    if (res == SZ_OK) res = seek(0);
    if (res != SZ_OK) return res;

    Byte* const main = out + (outSize - static_cast<size_t>(mainSize));
    const size_t reserve = outSize - static_cast<size_t>(mainSize);
    CBcj2Dec filter;
    filter.bufs[BCJ2_STREAM_MAIN] = main;
    filter.lims[BCJ2_STREAM_MAIN] = main;
    filter.bufs[BCJ2_STREAM_CALL] = call.bytes;
    filter.lims[BCJ2_STREAM_CALL] = call.bytes + call.size;
    filter.bufs[BCJ2_STREAM_JUMP] = jump.bytes;
    filter.lims[BCJ2_STREAM_JUMP] = jump.bytes + jump.size;
    filter.bufs[BCJ2_STREAM_RC] = rc.bytes;
    filter.lims[BCJ2_STREAM_RC] = rc.bytes + rc.size;
    filter.dest = out;
    filter.destLim = out;
    Bcj2Dec_Init(&filter);
    UInt32 window = 0;
    SRes filtered = SZ_OK;
    // Runs the filter over the main stream decoded so far, as far as it may write.
    const auto follow = [&](size_t decoded) {
        if (filtered != SZ_OK) return;
        const size_t safe = decoded > window ? reserve + (decoded - window) : reserve;
        const size_t limit = decoded == mainSize ? outSize : std::min(safe, outSize);
        if (static_cast<size_t>(filter.destLim - out) >= limit && filter.lims[BCJ2_STREAM_MAIN] == main + decoded)
            return;
        filter.lims[BCJ2_STREAM_MAIN] = main + decoded;
        filter.destLim = out + std::max(limit, static_cast<size_t>(filter.destLim - out));
        filtered = Bcj2Dec_Decode(&filter);
        if (filtered == SZ_OK && final) final(static_cast<size_t>(filter.dest - out));
    };
    // The filter's output below the main stream's place is counted as written from the
    // start: it never reaches further than the call and jump streams' size there.
    const Room mainRoom = room ? Room([&](size_t decoded) { return room(reserve + decoded); }) : Room();
    res = DecodeCoder(folder.Coders[2], propsData, packSize(0), in, main, static_cast<size_t>(mainSize), alloc,
                      [&](UInt32 size) { window = size; }, follow, mainRoom);
    if (res != SZ_OK) return res;
    follow(static_cast<size_t>(mainSize));
    if (filtered != SZ_OK) return filtered;
    for (unsigned i = 0; i < BCJ2_NUM_STREAMS; ++i)
        if (filter.bufs[i] != filter.lims[i]) return SZ_ERROR_DATA;
    if (filter.dest != filter.destLim || !Bcj2Dec_IsMaybeFinished(&filter)) return SZ_ERROR_DATA;
    return SZ_OK;
}

}  // namespace

SRes DecodeFolderInSteps(const CSzAr* p, UInt32 folderIndex, ILookInStreamPtr in, UInt64 startPos, Byte* out,
                         size_t outSize, ISzAllocPtr alloc, const std::function<void(size_t)>& final,
                         const std::function<bool(size_t)>& room) {
    const auto whole = [&] {
        if (room && !room(outSize)) return SZ_ERROR_READ;
        const SRes res = SzAr_DecodeFolder(p, folderIndex, in, startPos, out, outSize, alloc);
        if (res == SZ_OK && final) final(outSize);
        return res;
    };
    // A block with a CRC of its own is checked whole before any of it is used.
    if (SzBitWithVals_Check(&p->FolderCRCs, folderIndex)) return whole();
    const Byte* data = p->CodersData + p->FoCodersOffsets[folderIndex];
    CSzData sd;
    sd.Data = data;
    sd.Size = p->FoCodersOffsets[folderIndex + 1] - p->FoCodersOffsets[folderIndex];
    CSzFolder folder;
    if (SzGetNextFolderItem(&folder, &sd) != SZ_OK || sd.Size != 0 ||
        folder.UnpackStream != p->FoToMainUnpackSizeIndex[folderIndex] ||
        outSize != SzAr_GetFolderUnpackSize(p, folderIndex))
        return whole();
    const UInt64* unpackSizes = &p->CoderUnpackSizes[p->FoToCoderUnpackSizes[folderIndex]];
    const UInt64* packPositions = p->PackPositions + p->FoStartPackStreamIndex[folderIndex];
    const UInt64 packed = packPositions[1] - packPositions[0];
    switch (ShapeOf(folder)) {
        case Shape::Single: {
            const SRes seek = LookInStream_SeekTo(in, startPos + packPositions[0]);
            if (seek != SZ_OK) return seek;
            const SRes res = DecodeCoder(folder.Coders[0], data, packed, in, out, outSize, alloc, {}, final, room);
            if (res == SZ_OK && final) final(outSize);
            return res;
        }
        case Shape::Delta: {
            // The filter changes bytes that the LZMA decoder may still copy from: it
            // follows no closer than the decoder's dictionary behind it.
            const SRes seek = LookInStream_SeekTo(in, startPos + packPositions[0]);
            if (seek != SZ_OK) return seek;
            Byte state[DELTA_STATE_SIZE];
            Delta_Init(state);
            const unsigned distance = unsigned{data[folder.Coders[1].PropsOffset]} + 1;
            UInt32 window = 0;
            size_t done = 0;
            const auto filter = [&](size_t decoded) {
                const size_t safe = decoded == outSize ? outSize : decoded > window ? decoded - window : 0;
                if (safe <= done) return;
                Delta_Decode(state, distance, out + done, safe - done);
                done = safe;
                if (final) final(done);
            };
            const SRes res = DecodeCoder(folder.Coders[0], data, packed, in, out, outSize, alloc,
                                         [&](UInt32 size) { window = size; }, filter, room);
            if (res == SZ_OK) filter(outSize);
            return res;
        }
        case Shape::Bcj2: {
            const SRes res = DecodeBcj2(folder, data, unpackSizes, packPositions, in, startPos, out, outSize, alloc,
                                        final, room);
            return res == SZ_ERROR_UNSUPPORTED ? whole() : res;
        }
        case Shape::Other: break;
    }
    return whole();
}
