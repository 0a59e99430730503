#include "base/EntryFile.h"

#include <algorithm>

#include "base/CheckedFile.h"
#include "base/Handles.h"

namespace {

bool IsLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Why a file could not be opened or created. An existing file that may not be replaced
// (a read-only file) is left as it is without a word. A file held by another program, a
// folder or medium that takes no new files, or a full disk would leave the install
// incomplete without a word: those are Refused, and the user is asked (Retry once the
// other program has let go or space has been made).
WriteOutcome OpenFailure(DWORD error, bool existed) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return WriteOutcome::Refused;
        case ERROR_ACCESS_DENIED:
            return existed ? WriteOutcome::NotCreated : WriteOutcome::Refused;
        default:
            return WriteOutcome::NotCreated;
    }
}

// A new file is opened with DELETE, so that one made in the wrong place can go again; an
// existing one without, since other programs may hold it open without delete sharing.
UniqueFile Open(const std::wstring& path, bool existing) {
    const DWORD access = existing ? GENERIC_WRITE : GENERIC_WRITE | DELETE;
    return UniqueFile(::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr,
                                    existing ? OPEN_EXISTING : CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

WriteOutcome WriteAll(HANDLE file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    constexpr std::size_t kChunk = std::size_t{1} << 22;  // WriteFile takes a DWORD
    for (std::size_t done = 0; done < size;) {
        const DWORD part = static_cast<DWORD>(std::min(kChunk, size - done));
        DWORD written = 0;
        if (!::WriteFile(file, bytes + done, part, &written, nullptr) || written == 0) return WriteOutcome::Failed;
        done += written;
    }
    return WriteOutcome::Written;
}

}  // namespace

std::wstring FirstLinkBelow(const std::wstring& folder, const std::wstring& path) {
    for (size_t at = path.find(L'\\', folder.size() + 1);; at = path.find(L'\\', at + 1)) {
        const std::wstring level = path.substr(0, at);
        if (IsLink(::GetFileAttributesW(level.c_str()))) return level;
        if (at == std::wstring::npos) return {};
    }
}

WriteOutcome WriteEntryFile(const std::wstring& path, const std::wstring& expectedFinal, const void* data,
                            std::size_t size, const std::function<bool(bool existed)>& record) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (IsLink(attributes)) return WriteOutcome::Link;
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (!record(existed)) return WriteOutcome::NotRecorded;  // before creation: it stands even if creation fails
    // An existing file is opened as it is, checked, and only then emptied: a link swapped
    // in on the way must not cost anyone a file of theirs.
    UniqueFile file = Open(path, existed);
    if (!file) {
        const DWORD error = ::GetLastError();
        // Made by someone else since the look above: the user may retry.
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return WriteOutcome::Refused;
        return OpenFailure(error, existed);
    }
    if (!HandleLeadsTo(file.get(), expectedFinal)) {
        if (!existed) DeleteOpenedFile(file.get());  // made by this call, in a place not meant
        return WriteOutcome::Link;
    }
    if (existed && !::SetEndOfFile(file.get())) return WriteOutcome::Failed;  // the pointer is at 0
    const WriteOutcome outcome = WriteAll(file.get(), data, size);
    return ::CloseHandle(file.release()) ? outcome : WriteOutcome::Failed;
}

bool WriteNewCheckedFile(const std::wstring& path, const std::wstring& expectedFinal, const void* data,
                         std::size_t size) {
    UniqueFile file = Open(path, false);
    if (!file) return false;
    const bool written = HandleLeadsTo(file.get(), expectedFinal) &&
                         WriteAll(file.get(), data, size) == WriteOutcome::Written && ::FlushFileBuffers(file.get());
    if (!written) DeleteOpenedFile(file.get());  // made by this call: gone when the handle closes
    return written;
}

bool DeleteCheckedFile(const std::wstring& path, const std::wstring& expectedFinal) {
    const UniqueFile file(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && HandleLeadsTo(file.get(), expectedFinal) && DeleteOpenedFile(file.get());
}
