#include "journal/JournalFiles.h"

#include <windows.h>

#include "base/EntryFile.h"
#include "base/CheckedFile.h"
#include "journal/JournalDecrypt.h"
#include "journal/JournalEncrypt.h"
#include "journal/JournalText.h"
#include "base/Handles.h"

namespace {

enum class FileRead { Read, Missing, Held };

// The whole file; read with every sharing mode, since the setup keeps its plain journal
// open for appending while others read it. Read only through a handle that leads where the
// journal's name says (base/CheckedFile.h): a link planted at the name is read as a file
// that cannot be read now, never followed to someone else's file.
FileRead ReadWholeFile(const std::wstring& path, std::string& bytes) {
    const CheckedFile opened = OpenCheckedFile(path, ExpectedFinalPath(path), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                               CheckedOpen::Existing);
    switch (opened.status) {
        case CheckedFile::Status::Opened: break;
        case CheckedFile::Status::Missing: return FileRead::Missing;
        case CheckedFile::Status::Refused:
        case CheckedFile::Status::Failed: return FileRead::Held;
    }
    std::string out;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(opened.file.get(), buffer, sizeof(buffer), &read, nullptr)) return FileRead::Held;
        if (read == 0) break;
        out.append(buffer, read);
    }
    bytes.swap(out);
    return FileRead::Read;
}

}  // namespace

StoredJournal ReadStoredJournal(const std::wstring& plainPath) noexcept {
    StoredJournal stored;
    try {
        std::string cipher, decrypted, plain;
        const FileRead plainRead = ReadWholeFile(plainPath, plain);
        const std::wstring cipherPath = CipherJournalPath(plainPath);
        // A whole draft and no plain journal: a commit ended before its draft was placed.
        std::string draft;
        const bool committedDraft = plainRead == FileRead::Missing &&
                                    ReadWholeFile(cipherPath + kCipherDraftSuffix, draft) == FileRead::Read &&
                                    DecryptJournalBytes(draft, decrypted);
        if (committedDraft) {
            stored.cipherRead = true;
        } else {
            decrypted.clear();
            switch (ReadWholeFile(cipherPath, cipher)) {
                case FileRead::Read: stored.cipherRead = DecryptJournalBytes(cipher, decrypted); break;
                case FileRead::Held: stored.cipherHeld = true; break;
                case FileRead::Missing: break;
            }
        }
        stored.plainRead = plainRead == FileRead::Read;
        stored.text = journal::MergeJournals(decrypted, plain);
        stored.cipherText = std::move(decrypted);
        stored.plainText = std::move(plain);
    } catch (...) {  // out of memory: nothing read
        stored = StoredJournal();
    }
    return stored;
}

bool WriteEncryptedDraft(const std::wstring& cipherPath, std::string_view text) noexcept {
    try {
        std::string cipher;
        if (!EncryptJournalBytes(text, cipher)) return false;
        // The setup runs elevated: a link planted as the draft must take the write nowhere.
        // A draft that an ended process left goes first; a link at its name stays, and
        // the draft cannot be made.
        const std::wstring draft = cipherPath + kCipherDraftSuffix, place = ExpectedFinalPath(draft);
        DeleteCheckedFile(draft, place);
        if (WriteNewCheckedFile(draft, place, cipher.data(), cipher.size())) return true;
        DeleteCheckedFile(draft, place);
    } catch (...) {
    }
    return false;
}

bool PlaceEncryptedDraft(const std::wstring& cipherPath) noexcept {
    try {
        // The whole draft takes the journal's name, renamed through a handle checked
        // again: what stands at the name is replaced, never followed.
        const std::wstring draft = cipherPath + kCipherDraftSuffix;
        const CheckedFile written = OpenCheckedFile(draft, ExpectedFinalPath(draft), DELETE | FILE_READ_ATTRIBUTES,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                    CheckedOpen::Existing);
        return written.status == CheckedFile::Status::Opened && RenameOpenedFile(written.file.get(), cipherPath, true);
    } catch (...) {
        return false;
    }
}

void DiscardEncryptedDraft(const std::wstring& cipherPath) noexcept {
    try {
        const std::wstring draft = cipherPath + kCipherDraftSuffix;
        DeleteCheckedFile(draft, ExpectedFinalPath(draft));
    } catch (...) {
    }
}

bool WriteEncryptedJournal(const std::wstring& cipherPath, std::string_view text) noexcept {
    if (!WriteEncryptedDraft(cipherPath, text)) return false;
    if (PlaceEncryptedDraft(cipherPath)) return true;
    DiscardEncryptedDraft(cipherPath);
    return false;
}
