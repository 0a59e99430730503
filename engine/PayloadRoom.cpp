#include "engine/PayloadRoom.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <set>
#include <vector>

#include "7z.h"
#include "7zCrc.h"
#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
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

// The archive's database, read in place; freed with the object.
class ArchiveDatabase {
public:
    explicit ArchiveDatabase(PayloadBytes archive) noexcept {
        CrcGenerateTable();
        SzArEx_Init(&db_);
        MemoryInStream_Init(&stream_, archive.data(), static_cast<UInt32>(archive.size()));
        look_.buf = static_cast<Byte*>(ISzAlloc_Alloc(&kAlloc, kLookBufferSize));
        if (!look_.buf) return;
        look_.bufSize = kLookBufferSize;
        look_.realStream = &stream_.vt;
        LookToRead2_CreateVTable(&look_, False);
        LookToRead2_INIT(&look_);
        opened_ = SzArEx_Open(&db_, &look_.vt, &kAlloc, &kAlloc) == SZ_OK;
    }
    ~ArchiveDatabase() {
        SzArEx_Free(&db_, &kAlloc);
        ISzAlloc_Free(&kAlloc, look_.buf);
    }
    ArchiveDatabase(const ArchiveDatabase&) = delete;
    ArchiveDatabase& operator=(const ArchiveDatabase&) = delete;

    // No entries when the archive could not be opened.
    UInt32 entries() const noexcept { return opened_ ? db_.NumFiles : 0; }
    const CSzArEx& db() const noexcept { return db_; }

private:
    MemoryInStream stream_{};
    CLookToRead2 look_{};
    CSzArEx db_{};
    bool opened_ = false;
};

std::wstring EntryName(const CSzArEx& db, UInt32 i) {
    const size_t length = SzArEx_GetFileNameUtf16(&db, i, nullptr);  // counts the zero
    std::vector<UInt16> units(length > 0 ? length : 1, 0);
    SzArEx_GetFileNameUtf16(&db, i, units.data());
    return std::wstring(units.begin(), units.end() - 1);
}

}  // namespace

std::size_t LongestEntryName(PayloadBytes archive) noexcept {
    const ArchiveDatabase archiveDb(archive);
    std::size_t longest = 0;
    for (UInt32 i = 0; i < archiveDb.entries(); ++i) {
        const size_t length = SzArEx_GetFileNameUtf16(&archiveDb.db(), i, nullptr);  // counts the zero
        longest = std::max(longest, length > 0 ? length - 1 : 0);
    }
    return longest;
}

PayloadFootprint ReadPayloadFootprint(PayloadBytes archive) noexcept {
    try {
        const ArchiveDatabase archiveDb(archive);
        const CSzArEx& db = archiveDb.db();
        PayloadFootprint footprint;
        // The extraction records each folder it makes once, whether the archive lists it
        // or only files inside it; names as the records give them, after the install folder.
        std::set<std::wstring> folders;
        for (UInt32 i = 0; i < archiveDb.entries(); ++i) {
            std::wstring name = L"\\" + EntryName(db, i);
            for (wchar_t& c : name) c = c == L'/' ? L'\\' : c;
            if (SzArEx_IsDir(&db, i)) {
                folders.insert(name);
            } else {
                footprint.fileBytes.push_back(SzArEx_GetFileSize(&db, i));
                footprint.recordBytes += journal::FileRecord(name).size();
            }
            for (size_t at = name.find(L'\\', 1); at != std::wstring::npos; at = name.find(L'\\', at + 1))
                folders.insert(name.substr(0, at));
        }
        for (const std::wstring& folder : folders) footprint.recordBytes += journal::FolderRecord(folder).size();
        footprint.records = footprint.fileBytes.size() + folders.size();
        return footprint;
    } catch (...) {  // out of memory: nothing is known
        return {};
    }
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

PayloadFootprint ReadOwnPayloadFootprint(HINSTANCE instance) noexcept {
    try {
        return ReadPayloadFootprint(LoadOwnPayload(instance));
    } catch (...) {  // no payload: the extraction says so itself
        return {};
    }
}

std::vector<std::wstring> PayloadFileNames(PayloadBytes archive) noexcept {
    try {
        const ArchiveDatabase archiveDb(archive);
        std::vector<std::wstring> names;
        for (UInt32 i = 0; i < archiveDb.entries(); ++i) {
            if (SzArEx_IsDir(&archiveDb.db(), i)) continue;
            std::wstring name = EntryName(archiveDb.db(), i);
            for (wchar_t& c : name) c = c == L'/' ? L'\\' : c;
            names.push_back(std::move(name));
        }
        return names;
    } catch (...) {  // out of memory: nothing is known
        return {};
    }
}

std::vector<std::wstring> OwnPayloadFileNames(HINSTANCE instance) noexcept {
    try {
        return PayloadFileNames(LoadOwnPayload(instance));
    } catch (...) {  // no payload: the extraction says so itself
        return {};
    }
}
