#include "engine/JournalFiles.h"

#include <windows.h>

#include "engine/JournalDecrypt.h"
#include "engine/JournalEncrypt.h"
#include "engine/JournalText.h"
#include "ui/Handles.h"

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

// Writes a new file at `path`. Whatever stood there (a draft an ended process left) is
// removed first, and the file is made anew without following a link at its name: the
// setup runs elevated, and a link planted as the draft would take the write elsewhere.
bool WriteNewFile(const std::wstring& path, std::string_view bytes) {
    ::DeleteFileW(path.c_str());  // a link at the name goes itself; its target is untouched
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool complete = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    return complete && ::FlushFileBuffers(file.get());
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
    } catch (...) {  // out of memory: nothing read
        stored = StoredJournal();
    }
    return stored;
}

bool WriteEncryptedJournal(const std::wstring& cipherPath, std::string_view text) noexcept {
    try {
        std::string cipher;
        if (!EncryptJournalBytes(text, cipher)) return false;
        const std::wstring draft = cipherPath + kCipherDraftSuffix;
        if (WriteNewFile(draft, cipher) &&
            ::MoveFileExW(draft.c_str(), cipherPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        ::DeleteFileW(draft.c_str());
    } catch (...) {
    }
    return false;
}
