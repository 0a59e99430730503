#include "engine/InstallJournal.h"

#include <cstdint>
#include <utility>

#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
#include "journal/JournalText.h"

namespace {

// The predefined root handles are small constants (sign-extended on 64-bit builds);
// the journal stores their low 32 bits as an unsigned decimal.
std::uint32_t RootValue(HKEY root) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root));
}

// Reads what `file` holds from its start.
bool ReadAll(HANDLE file, std::string& bytes) {
    const LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) return false;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof(buffer), &read, nullptr)) return false;
        if (read == 0) return true;
        bytes.append(buffer, read);
    }
}

// Cuts a line that an ended process left unfinished at the end of the file.
void CutUnfinishedLine(HANDLE file) {
    std::string bytes;
    try {
        if (!ReadAll(file, bytes)) return;
    } catch (...) {
        return;
    }
    const std::size_t whole = bytes.size() - journal::SplitJournal(bytes).cutShort.size();
    if (whole == bytes.size()) return;
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(whole);
    if (::SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) ::SetEndOfFile(file);
}

}  // namespace

InstallJournal::~InstallJournal() { close(); }

InstallJournal::Opened InstallJournal::open(const std::wstring& path) noexcept {
    close();
    try {
        path_ = path;
    } catch (...) {
        return Opened::Failed;
    }
    ownRecords_.clear();
    earlierRecords_.clear();
    inRun_ = false;
    const Opened opened = openFile();
    open_ = opened == Opened::Yes;
    if (!open_) return opened;
    try {
        earlierRecords_ = ReadStoredJournal(path_).text;
    } catch (...) {  // out of memory: a rollback then keeps the records it cannot tell apart
    }
    return opened;
}

InstallJournal::Opened InstallJournal::openFile() noexcept {
    try {
        CheckedFile opened = OpenCheckedFile(path_, ExpectedFinalPath(path_), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             CheckedOpen::Always);
        if (opened.status == CheckedFile::Status::Refused) return Opened::Refused;
        if (opened.status != CheckedFile::Status::Opened) return Opened::Failed;
        CutUnfinishedLine(opened.file.get());
        file_ = std::move(opened.file);
        return Opened::Yes;
    } catch (...) {  // out of memory while naming the place
        return Opened::Failed;
    }
}

bool InstallJournal::append(std::string utf8Line) noexcept {
    if (!open_) return false;
    // A record asked for again (a Retry after its append failed) is still the one waiting.
    if (backlog_.empty() || backlog_.back() != utf8Line) {
        try {
            ownRecords_ += utf8Line;
            backlog_.push_back(std::move(utf8Line));
        } catch (...) {
            return false;
        }
    }
    return writeBacklog();
}

bool InstallJournal::writeBacklog() noexcept {
    if (backlog_.empty()) return true;
    if (!file_ && openFile() != Opened::Yes) return false;
    while (!backlog_.empty()) {
        const std::string& line = backlog_.front();
        const LARGE_INTEGER zero{};
        LARGE_INTEGER end{};
        if (!::SetFilePointerEx(file_.get(), zero, &end, FILE_END)) return false;
        DWORD written = 0;
        if (!::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
            written != line.size()) {
            // A part of the line would be joined to the next record: cut it off again.
            ::SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN);
            ::SetEndOfFile(file_.get());
            return false;
        }
        backlog_.pop_front();
    }
    return true;
}

// Building a record can only throw std::bad_alloc; a record lost that way must not end
// the install.
template <typename Build>
bool InstallJournal::record(Build build) noexcept {
    if (!open_) return false;
    try {
        return append(build());
    } catch (...) {
        return false;
    }
}

bool InstallJournal::recordFolder(const std::wstring& path) noexcept {
    return record([&] { return journal::FolderRecord(path); });
}

bool InstallJournal::recordFile(const std::wstring& path) noexcept {
    return record([&] { return journal::FileRecord(path); });
}

bool InstallJournal::recordBackup(const std::wstring& original, const std::wstring& backup) noexcept {
    return record([&] { return journal::BackupRecord(original, backup); });
}

bool InstallJournal::recordOldValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD type,
                                    const std::string& data) noexcept {
    if (!open_) return false;
    try {
        if (ownRecords_.find(journal::ValueRecord(RootValue(root), keyPath, valueName)) != std::string::npos)
            return true;
        return append(journal::OldValueRecord(RootValue(root), keyPath, valueName, type, data));
    } catch (...) {
        return false;
    }
}

bool InstallJournal::begin(const std::wstring& installFolder) noexcept {
    if (!open_) return false;
    // Like any record, one that cannot be written now (a full disk) waits in memory and
    // goes first into the file once it can: the run's first record that must reach the
    // file before its change asks the user.
    record([&] { return journal::BeginRecord(installFolder); });
    inRun_ = true;
    return true;
}

bool InstallJournal::commit(const std::string& records) noexcept {
    if (!open_) return false;
    writeBacklog();
    const std::wstring cipher = CipherJournalPath(path_);
    if (!WriteEncryptedDraft(cipher, records)) return false;
    // The commit's point: the plain journal, which holds the run, goes. Ended before, the
    // run is taken back from it; ended after, the draft is the journal (JournalFiles.h).
    // Deleted through a handle checked to lead where the journal's name says; the
    // journal's own handle shares deletion, so the file goes when it is closed here.
    DeleteCheckedFile(path_, ExpectedFinalPath(path_));
    file_.reset();
    if (::GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        DiscardEncryptedDraft(cipher);
        return false;
    }
    backlog_.clear();
    inRun_ = false;
    // Not placed now (another program reads the old one): readers take the draft.
    (void)PlaceEncryptedDraft(cipher);
    return true;
}

bool InstallJournal::recordValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName) noexcept {
    return record([&] { return journal::ValueRecord(RootValue(root), keyPath, valueName); });
}

bool InstallJournal::recordKey(HKEY root, const std::wstring& keyPath) noexcept {
    return record([&] { return journal::KeyRecord(RootValue(root), keyPath); });
}

void InstallJournal::finish() noexcept {
    if (!open_) return;
    writeBacklog();
    if (file_) ::FlushFileBuffers(file_.get());
    if (inRun_) return;  // the run's records stay apart until it is committed or taken back
    try {
        const StoredJournal stored = ReadStoredJournal(path_);
        if (!stored.plainRead && backlog_.empty()) {
            // Nothing recorded since the last finish (or the plain file was taken away):
            // the encrypted journal already holds everything there is.
            file_.reset();
            return;
        }
        // An encrypted journal that another program holds cannot be merged, and replacing
        // it would lose its records: both files stay for the next finish, or the reader.
        if (stored.cipherHeld) return;
        std::string waiting;
        for (const std::string& line : backlog_) waiting += line;
        if (!WriteEncryptedJournal(CipherJournalPath(path_), journal::MergeJournals(stored.text, waiting))) return;
        backlog_.clear();
        // Deleted through a handle checked to lead where the journal's name says; the
        // journal's own handle shares deletion, so the file goes when it is closed below.
        DeleteCheckedFile(path_, ExpectedFinalPath(path_));
        file_.reset();
    } catch (...) {  // out of memory: both files stay as they are
    }
}

void InstallJournal::close() noexcept {
    finish();
    file_.reset();
    backlog_.clear();
    open_ = false;
}
