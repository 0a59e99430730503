#include "engine/PayloadRoom.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "7z.h"
#include "7zCrc.h"
#include "journal/JournalFiles.h"
#include "engine/MemoryInStream.h"
#include "engine/PayloadResource.h"

namespace {

void* Allocate(ISzAllocPtr, size_t size) { return size == 0 ? nullptr : std::malloc(size); }
void Release(ISzAllocPtr, void* address) { std::free(address); }
const ISzAlloc kAlloc = {Allocate, Release};
constexpr size_t kLookBufferSize = size_t{1} << 16;
// The longest name the journal takes: its encrypted companion's draft, "uninstallE.new".
constexpr std::size_t kJournalCompanionLength =
    std::size(kPlainJournalName) + std::size(kCipherJournalSuffix) + std::size(kCipherDraftSuffix) - 3;

}  // namespace

std::size_t LongestEntryName(PayloadBytes archive) noexcept {
    CrcGenerateTable();
    MemoryInStream stream{};
    MemoryInStream_Init(&stream, archive.data(), static_cast<UInt32>(archive.size()));
    CLookToRead2 look{};
    look.buf = static_cast<Byte*>(ISzAlloc_Alloc(&kAlloc, kLookBufferSize));
    if (!look.buf) return 0;
    look.bufSize = kLookBufferSize;
    look.realStream = &stream.vt;
    LookToRead2_CreateVTable(&look, False);
    LookToRead2_INIT(&look);

    CSzArEx db;
    SzArEx_Init(&db);
    std::size_t longest = 0;
    if (SzArEx_Open(&db, &look.vt, &kAlloc, &kAlloc) == SZ_OK) {
        for (UInt32 i = 0; i < db.NumFiles; ++i) {
            const size_t length = SzArEx_GetFileNameUtf16(&db, i, nullptr);  // counts the zero
            longest = std::max(longest, length > 0 ? length - 1 : 0);
        }
    }
    SzArEx_Free(&db, &kAlloc);
    ISzAlloc_Free(&kAlloc, look.buf);
    return longest;
}

bool PayloadFitsUnder(const std::wstring& folder, PayloadBytes archive) noexcept {
    const std::size_t deepest = std::max(LongestEntryName(archive), kJournalCompanionLength);
    return folder.size() + 1 + deepest < MAX_PATH;
}

bool PayloadFitsUnder(const std::wstring& folder, HINSTANCE instance) noexcept {
    try {
        return PayloadFitsUnder(folder, LoadOwnPayload(instance));
    } catch (...) {  // no payload: the extraction says so itself
        return true;
    }
}
