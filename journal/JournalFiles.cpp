#include "journal/JournalFiles.h"

#include <windows.h>

#include "base/EntryFile.h"
#include "base/FinalPath.h"
#include "journal/JournalDecrypt.h"
#include "journal/JournalEncrypt.h"
#include "journal/JournalText.h"
#include "base/Handles.h"

namespace {

enum class FileRead { Read, Missing, Held };

// The whole file; read with every sharing mode, since the setup keeps its plain journal
// open for appending while others read it.
FileRead ReadWholeFile(const std::wstring& path, std::string& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing : FileRead::Held;
    }
    std::string out;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) return FileRead::Held;
        if (read == 0) break;
        out.append(buffer, read);
    }
    bytes.swap(out);
    return FileRead::Read;
}

// Where the draft must turn out to be: its folder as the file system has it (the install
// folder may be reached through a link the user chose), then its own name. Empty, and so
// not compared, when the system cannot say.
std::wstring DraftPlace(const std::wstring& draft) {
    const std::size_t slash = draft.rfind(L'\\');
    if (slash == std::wstring::npos) return {};
    const std::wstring folder = FinalPathOfPlace(draft.substr(0, slash));
    return folder.empty() ? std::wstring() : folder + draft.substr(slash);
}

}  // namespace

StoredJournal ReadStoredJournal(const std::wstring& plainPath) noexcept {
    StoredJournal stored;
    try {
        std::string cipher, decrypted, plain;
        switch (ReadWholeFile(CipherJournalPath(plainPath), cipher)) {
            case FileRead::Read: stored.cipherRead = DecryptJournalBytes(cipher, decrypted); break;
            case FileRead::Held: stored.cipherHeld = true; break;
            case FileRead::Missing: break;
        }
        stored.plainRead = ReadWholeFile(plainPath, plain) == FileRead::Read;
        stored.text = journal::MergeJournals(decrypted, plain);
        stored.cipherText = std::move(decrypted);
        stored.plainText = std::move(plain);
    } catch (...) {  // out of memory: nothing read
        stored = StoredJournal();
    }
    return stored;
}

bool WriteEncryptedJournal(const std::wstring& cipherPath, std::string_view text) noexcept {
    try {
        std::string cipher;
        if (!EncryptJournalBytes(text, cipher)) return false;
        // The setup runs elevated: a link planted as the draft must take the write nowhere.
        // A draft that an ended process left goes first; a link at its name stays, and
        // the draft cannot be made.
        const std::wstring draft = cipherPath + kCipherDraftSuffix, place = DraftPlace(draft);
        DeleteCheckedFile(draft, place);
        if (WriteNewCheckedFile(draft, place, cipher.data(), cipher.size()) &&
            ::MoveFileExW(draft.c_str(), cipherPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DeleteCheckedFile(draft, place);
    } catch (...) {
    }
    return false;
}
