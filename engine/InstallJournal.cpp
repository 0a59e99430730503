#include "engine/InstallJournal.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include <cryptopp/aes.h>
#include <cryptopp/files.h>
#include <cryptopp/filters.h>
#include <cryptopp/modes.h>

#include "engine/JournalKey.h"
#include "engine/JournalRecord.h"

namespace {

// The predefined root handles are small constants (sign-extended on 64-bit builds);
// the journal stores their low 32 bits as an unsigned decimal.
std::uint32_t RootValue(HKEY root) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root));
}

// Runs `work`, swallowing what it throws (only std::bad_alloc can come from building a
// record): a lost record must not end the install.
template <typename Work>
void Guarded(Work work) noexcept {
    try {
        work();
    } catch (...) {
    }
}

bool FileIsMissing(const std::wstring& path) {
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Encrypts the whole plain file into `cipherFile` (created or replaced). Returns true
// only when the encrypted file was written completely; a partly written one is removed
// so that the uninstaller never reads a truncated journal.
bool EncryptJournalFile(const std::filesystem::path& plainFile,
                        const std::filesystem::path& cipherFile) noexcept {
    bool cipherOpened = false;
    try {
        // The mingw Crypto++ has no wide-name file source or sink: hand it streams opened
        // from wide paths instead, so names outside the ANSI code page work.
        std::ifstream in(plainFile, std::ios::binary);
        if (!in) return false;
        std::ofstream out(cipherFile, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        cipherOpened = true;

        const JournalKeyPair secret = JournalKeyMaterial();
        CryptoPP::CBC_Mode<CryptoPP::AES>::Encryption encryption(
            secret.key.data(), secret.key.size(), secret.iv.data());
        CryptoPP::FileSource source(
            in, true,
            new CryptoPP::StreamTransformationFilter(
                encryption, new CryptoPP::FileSink(out),
                CryptoPP::BlockPaddingSchemeDef::PKCS_PADDING));
        out.close();
        if (!out.fail() && !in.bad()) return true;
    } catch (...) {  // CryptoPP::Exception (read or write error), std::bad_alloc
    }
    if (cipherOpened) {
        std::error_code ignored;
        std::filesystem::remove(cipherFile, ignored);
    }
    return false;
}

}  // namespace

InstallJournal::~InstallJournal() { close(); }

void InstallJournal::open(const std::wstring& path) noexcept {
    close();
    try {
        path_ = path;
    } catch (...) {
        return;
    }
    UniqueFile file(::CreateFileW(path_.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    // Records go after whatever an earlier, unfinished journal left in the file.
    const LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return;
    file_ = std::move(file);
}

bool InstallJournal::isOpen() const noexcept { return file_.valid(); }

void InstallJournal::append(const std::string& utf8Line) noexcept {
    DWORD written = 0;
    // A failed write loses this one record; the install goes on.
    ::WriteFile(file_.get(), utf8Line.data(), static_cast<DWORD>(utf8Line.size()), &written, nullptr);
}

void InstallJournal::recordFolder(const std::wstring& path) noexcept {
    if (file_) Guarded([&] { append(journal::FolderRecord(path)); });
}

void InstallJournal::recordFile(const std::wstring& path) noexcept {
    if (file_) Guarded([&] { append(journal::FileRecord(path)); });
}

void InstallJournal::recordValue(HKEY root, const std::wstring& keyPath,
                                 const std::wstring& valueName) noexcept {
    if (file_) Guarded([&] { append(journal::ValueRecord(RootValue(root), keyPath, valueName)); });
}

void InstallJournal::recordKey(HKEY root, const std::wstring& keyPath) noexcept {
    if (file_) Guarded([&] { append(journal::KeyRecord(RootValue(root), keyPath)); });
}

void InstallJournal::close() noexcept {
    if (!file_) return;
    // The handle is closed last, on leaving: the plain file was opened with delete
    // sharing, so deleting it by name below takes effect when this handle goes.
    UniqueFile file(std::move(file_));
    ::FlushFileBuffers(file.get());
    try {
        // The companion's name comes from the wide path: an ANSI form of a folder such
        // as "邮箱" on a Western system would name a different (or no) file.
        const std::wstring cipherPath = path_ + L"E";
        const bool missing = FileIsMissing(path_);
        // Without a complete encrypted copy the plain journal is the only record of the
        // install, and the uninstaller needs it: keep it.
        if (missing || EncryptJournalFile(path_, cipherPath)) ::DeleteFileW(path_.c_str());
    } catch (...) {
    }
}
