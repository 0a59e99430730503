#include "engine/Extraction.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "7z.h"
#include "7zCrc.h"
#include "engine/BlockDecoder.h"
#include "base/EntryFile.h"
#include "engine/ExtractionNames.h"
#include "engine/ExtractionPrompt.h"
#include "base/FinalPath.h"
#include "engine/FolderChain.h"
#include "engine/InstallEvents.h"
#include "engine/MemoryInStream.h"
#include "engine/PayloadResource.h"
#include "engine/PayloadRoom.h"
#include "engine/ResStrings.h"
#include "engine/RunBackup.h"
#include "engine/SetupLog.h"
#include "base/pure/DecimalText.h"

namespace {

constexpr UINT kStringCreateFolderFailed = 136;
constexpr UINT kStringFormatError = 138;
constexpr UINT kStringWriteFailed = 142;
constexpr UInt32 kNoBlock = 0xFFFFFFFF;
// A payload file that replaces an existing one is written under the target's name with
// this appended, then moved into its place.
constexpr wchar_t kNewFileSuffix[] = L".vxnew";
// The look stream's own buffer: the decoder reads the in-memory payload through it.
constexpr size_t kLookBufferSize = size_t{1} << 18;

// Plain heap; the decoder asks for 0 bytes for empty tables and gets null.
void* HeapAllocate(ISzAllocPtr, size_t size) { return size == 0 ? nullptr : std::malloc(size); }
void HeapRelease(ISzAllocPtr, void* address) { std::free(address); }
const ISzAlloc kMainAlloc = {HeapAllocate, HeapRelease};
const ISzAlloc kTempAlloc = {HeapAllocate, HeapRelease};

// Name buffer of 16-bit units that only grows.
class NameBuffer {
public:
    CUIString read(const CSzArEx& db, UInt32 entry) {
        const size_t length = SzArEx_GetFileNameUtf16(&db, entry, nullptr);  // counts the zero
        if (length > capacity_) {
            units_ = std::make_unique<UInt16[]>(length + 1);
            capacity_ = length + 1;
        }
        SzArEx_GetFileNameUtf16(&db, entry, units_.get());
        size_t end = 0;
        while (end < length && units_[end] != 0) ++end;
        return CUIString(reinterpret_cast<const wchar_t*>(units_.get()), end);
    }

private:
    std::unique_ptr<UInt16[]> units_;
    size_t capacity_ = 0;
};

// One run of the extraction: the decoder state lives exactly as long as this object.
class PayloadExtraction {
public:
    PayloadExtraction(InstallState& state, const ExtractionHooks& hooks) : state_(state), hooks_(hooks) {
        CrcGenerateTable();
        SzArEx_Init(&db_);
    }
    ~PayloadExtraction() {
        decoder_.reset();  // stops the worker before the database it reads goes
        SzArEx_Free(&db_, &kMainAlloc);
        ISzAlloc_Free(&kMainAlloc, look_.buf);
    }
    PayloadExtraction(const PayloadExtraction&) = delete;
    PayloadExtraction& operator=(const PayloadExtraction&) = delete;

    // Throws the failure text: a missing payload, or one that is not a readable archive.
    void open() {
        // Every file is checked against where the install folder really is: when the
        // system cannot say, nothing is written, rather than nothing compared.
        installFinal_ = FinalPathOfPlace(state_.installPath);
        if (installFinal_.empty()) {
            LogFailure(L"Where the install folder leads cannot be told:", state_.installPath, ::GetLastError());
            throw PlaceUnknownText(state_.instance, state_.installPath);
        }
        const PayloadBytes payload = hooks_.payload();
        MemoryInStream_Init(&stream_, payload.data(), static_cast<UInt32>(payload.size()));
        look_.buf = static_cast<Byte*>(ISzAlloc_Alloc(&kMainAlloc, kLookBufferSize));
        look_.bufSize = look_.buf ? kLookBufferSize : 0;
        look_.realStream = &stream_.vt;
        LookToRead2_CreateVTable(&look_, False);
        LookToRead2_INIT(&look_);
        if (!look_.buf || SzArEx_Open(&db_, &look_.vt, &kMainAlloc, &kTempAlloc) != SZ_OK) {
            LogStep(L"Payload archive not readable");
            throw formatError();
        }
        LogStep(L"Payload: " + DecimalText(db_.NumFiles) + L" entries in " + DecimalText(db_.db.NumFolders) +
                L" blocks, " + DecimalText(payload.size()) + L" bytes");
        state_.payloadUnpackedBytes = ReadPayloadFootprint(payload).unpackedBytes();  // for the uninstall entry
        decoder_ = std::make_unique<BlockDecoder>(db_, payload, &kMainAlloc);
    }

    void extractAll() {
        for (UInt32 i = 0; i < db_.NumFiles; ++i) {
            while (!extractEntry(i)) {
            }
        }
        decoder_->drop();
    }

private:
    // True when the entry is done with (handled or skipped); false to handle it again.
    bool extractEntry(UInt32 i) {
        const CUIString name = names_.read(db_, i);
        if (!IsSafeEntryName(name)) return skippedUnlessRetried(formatError(), name);
        const CUIString target = EntryTargetPath(state_.installPath, name);
        if (SzArEx_IsDir(&db_, i)) return settled(createFolders(target), target);
        // The files of one folder follow each other in the archive: the chain of their
        // folder is made (or found) once, not checked level by level for every file.
        if (const CUIString parent = ParentFolder(target); parent != readyFolder_) {
            if (const Step step = createFolders(parent); step != Step::Go) return settled(step, target);
            readyFolder_ = parent;
        }

        pump();
        size_t offset = 0, size = 0;
        if (!decode(i, &offset, &size)) {
            LogStep(L"Entry not decoded: " + target);
            decoder_->drop();  // the next decode starts the block afresh
            return skippedUnlessRetried(formatError(), target);
        }
        // A file is made only once its record is written, or the uninstaller would never
        // know it; a record that could not be written names the journal in the prompt.
        const void* data = decoder_->buffer() ? decoder_->buffer() + offset : nullptr;
        WriteOutcome outcome = WriteEntryFile(target, expectedFinal(target), data, size, [&] { return record(i, target); });
        if (outcome == WriteOutcome::Exists) outcome = replace(i, target, data, size);
        if (outcome != WriteOutcome::Written) logFailure(outcome, target, ::GetLastError());
        switch (outcome) {
            case WriteOutcome::NotCreated:
            case WriteOutcome::Exists:
                state_.entriesSkipped.push_back(target);
                return true;
            case WriteOutcome::Link: {
                const std::wstring link = FirstLinkBelow(state_.installPath, target);
                return skippedUnlessRetried(linkRefused(link.empty() ? target : CUIString(link)), target);
            }
            case WriteOutcome::NotRecorded: {
                const InstallJournal* journal = state_.openJournal();
                return skippedUnlessRetried(FormatText(state_.instance, kStringWriteFailed, L"Fail to write {file}",
                                                       L"{file}", journal ? journal->path() : target),
                                            target);
            }
            case WriteOutcome::Refused:
            case WriteOutcome::Failed:
                return skippedUnlessRetried(
                    FormatText(state_.instance, kStringWriteFailed, L"Fail to write {file}", L"{file}", target), target);
            case WriteOutcome::Written: break;
        }
        state_.SetStatusText(target);
        post(INSTALL_EVENT_PROGRESS, static_cast<LPARAM>(std::uint64_t{i} * 100 / db_.NumFiles));
        pump();
        return true;
    }

    // Each file is recorded once, also when it is asked for again (a Retry after a
    // failed write).
    bool record(UInt32 entry, const std::wstring& path) {
        InstallJournal* journal = state_.openJournal();
        if (!journal) return true;
        if (recordedEntry_ != entry) recordedPaths_.clear();
        recordedEntry_ = entry;
        if (std::find(recordedPaths_.begin(), recordedPaths_.end(), path) != recordedPaths_.end()) return true;
        if (!journal->recordFile(path)) return false;
        recordedPaths_.push_back(path);
        return true;
    }

    // A file that stands at the target's name already (an earlier installation's) is not
    // rewritten in place, where a write cut short would leave neither version: the new
    // bytes go to a file of their own beside it, the old file is moved aside into the
    // run's backup, and the new file takes its name. A file that may not be moved (a
    // read-only one the system will not rename) is left as it is, without a word.
    WriteOutcome replace(UInt32 entry, const CUIString& target, const void* data, size_t size) {
        const std::wstring fresh = target + kNewFileSuffix;
        const WriteOutcome written =
            WriteEntryFile(fresh, expectedFinal(fresh), data, size, [&] { return record(entry, fresh); });
        if (written != WriteOutcome::Written) return written == WriteOutcome::Exists ? WriteOutcome::Refused : written;
        if (!MoveAside(state_, target)) {
            const DWORD error = ::GetLastError();
            DeleteCheckedFile(fresh, expectedFinal(fresh));
            ::SetLastError(error);
            switch (error) {
                case ERROR_REPARSE_TAG_MISMATCH: return WriteOutcome::Link;
                case ERROR_ACCESS_DENIED: return WriteOutcome::NotCreated;
                default: return WriteOutcome::Refused;
            }
        }
        return MoveCheckedFile(fresh, expectedFinal(fresh), target, expectedFinal(target)) ? WriteOutcome::Written
                                                                                          : WriteOutcome::Failed;
    }

    enum class Step { Go, Again, Skip };

    // After a failure prompt: false to handle the entry again (Retry); true when it is
    // left unwritten (Ignore), which the run counts: it is not the whole client.
    bool skippedUnlessRetried(const CUIString& message, const CUIString& target) {
        return settled(AskOnFailure(hooks_, message) ? Step::Again : Step::Skip, target);
    }
    bool settled(Step step, const CUIString& target) {
        if (step == Step::Skip) state_.entriesSkipped.push_back(target);
        return step != Step::Again;
    }

    // Go when the folder chain exists; otherwise the user's Retry (Again) or Ignore (Skip).
    // A link below the install folder is never followed: nothing is made inside it.
    Step createFolders(const CUIString& folder) {
        if (const std::wstring link = FirstLinkBelow(state_.installPath, folder); !link.empty())
            return AskOnFailure(hooks_, linkRefused(link)) ? Step::Again : Step::Skip;
        if (CreateFolderChain(folder, state_.openJournal())) return Step::Go;
        LogFailure(L"Folder not made:", folder, ::GetLastError());
        const CUIString message = FormatText(state_.instance, kStringCreateFolderFailed,
                                             L"Create {folder} error!", L"{folder}", folder);
        return AskOnFailure(hooks_, message) ? Step::Again : Step::Skip;
    }

    // Finds the file's bytes in its block, waits until they are decoded and checks their
    // CRC; false when the block cannot be decoded that far or the CRC is wrong.
    bool decode(UInt32 i, size_t* offset, size_t* size) {
        const UInt32 block = db_.FileToFolder[i];
        // An empty file belongs to no block; the block in hand stays for the next file.
        if (block == kNoBlock) return true;
        if (decoder_->block() != block) {
            if (hooks_.decodingBlock) hooks_.decodingBlock(block);
            // The block in hand goes first: the one decoded ahead and this are all there is.
            if (decoder_->take(block, hooks_.pump) != SZ_OK) return false;
            // The wait may have been short: the window catches up before the file is written.
            pump();
        }
        const UInt64 start = db_.UnpackPositions[i];
        *offset = static_cast<size_t>(start - db_.UnpackPositions[db_.FolderToFile[block]]);
        *size = static_cast<size_t>(db_.UnpackPositions[i + 1] - start);
        if (*offset + *size > decoder_->size()) return false;
        if (decoder_->ready(*offset, *offset + *size, hooks_.pump) != SZ_OK) return false;
        if (*offset + *size == decoder_->size())
            LogStep(L"Block " + DecimalText(block) + L" decoded: " + DecimalText(decoder_->size()) + L" bytes");
        return !SzBitWithVals_Check(&db_.CRCs, i) ||
               CrcCalc(decoder_->buffer() + *offset, *size) == db_.CRCs.Vals[i];
    }

    CUIString linkRefused(const CUIString& link) const { return LinkRefusedText(state_.instance, link); }

    // Where `target` must turn out to be: the install folder as the file system has it
    // (the chosen folder itself may be reached through a link), then the entry's name.
    std::wstring expectedFinal(const CUIString& target) const {
        std::wstring expected = installFinal_;
        if (expected.back() != L'\\') expected += L'\\';
        for (wchar_t c : target.substr(state_.installPath.size())) {
            if (c != L'\\' || expected.back() != L'\\') expected += c;
        }
        return expected;
    }

    // The log's line for an entry that was not written, with the system's error code.
    static void logFailure(WriteOutcome outcome, const CUIString& target, DWORD error) {
        switch (outcome) {
            case WriteOutcome::NotCreated:
            case WriteOutcome::Exists: LogFailure(L"Skipped (may not be replaced):", target, error); break;
            case WriteOutcome::Link: LogStep(L"Not written through a link: " + target); break;
            case WriteOutcome::NotRecorded: LogFailure(L"Journal record failed for", target, error); break;
            case WriteOutcome::Refused:
            case WriteOutcome::Failed: LogFailure(L"Write failed:", target, error); break;
            case WriteOutcome::Written: break;
        }
    }

    CUIString formatError() const {
        return LoadResString(state_.instance, kStringFormatError, L"File format error");
    }
    void pump() const {
        if (hooks_.pump) hooks_.pump();
    }
    void post(WPARAM kind, LPARAM value) const {
        if (state_.window) ::PostMessageW(state_.window, WM_INSTALL_EVENT, kind, value);
    }

    InstallState& state_;
    const ExtractionHooks& hooks_;
    CSzArEx db_;
    MemoryInStream stream_{};
    CLookToRead2 look_{};
    std::unique_ptr<BlockDecoder> decoder_;  // the next block, decoded while this one is written
    NameBuffer names_;
    UInt32 recordedEntry_ = kNoBlock;         // a Retry after a failed write records the file once:
    std::vector<std::wstring> recordedPaths_;  // the paths recorded for that entry
    CUIString readyFolder_;            // the last file's folder, known to exist
    std::wstring installFinal_;        // FinalPathOfPlace of the install folder at the start
};

}  // namespace

ExtractionHooks ProgramExtractionHooks(const InstallState& state) {
    ExtractionHooks hooks;
    const HINSTANCE instance = state.instance;
    const HWND owner = state.window;
    hooks.payload = [instance] { return LoadOwnPayload(instance); };
    hooks.prompt = [owner, instance](const CUIString& message) { return ShowFailureBox(owner, instance, message); };
    return hooks;
}

namespace {

// The hooks with each failure prompt announced to the window before it shows and after it
// is answered (INSTALL_EVENT_ASKING, sent): the task-bar button shows that the run waits.
ExtractionHooks AnnouncingPrompts(HWND window, const ExtractionHooks& hooks) {
    ExtractionHooks announcing = hooks;
    announcing.prompt = [window, prompt = hooks.prompt](const CUIString& message) {
        if (window) ::SendMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_ASKING, 1);
        const FailureAnswer answer = prompt(message);
        if (window) ::SendMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_ASKING, 0);
        return answer;
    };
    return announcing;
}

}  // namespace

void ExtractPayload(InstallState& state) { ExtractPayload(state, ProgramExtractionHooks(state)); }

void ExtractPayload(InstallState& state, const ExtractionHooks& hooks) {
    try {
        const ExtractionHooks announcing = AnnouncingPrompts(state.window, hooks);
        PayloadExtraction extraction(state, announcing);
        try {
            extraction.open();
            extraction.extractAll();
            state.extractionCompleted = true;
        } catch (const CUIString& failure) {  // the failure text; empty after Abort
            state.extractionCompleted = false;
            state.SetStatusText(failure);
        }
    } catch (...) {  // out of memory while building a text: a failure with nothing to say
        state.extractionCompleted = false;
    }
    // Last, on every path, after the database has been freed.
    if (state.window) ::PostMessageW(state.window, WM_INSTALL_EVENT, INSTALL_EVENT_DONE, 0);
}
