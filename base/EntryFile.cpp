#include "base/EntryFile.h"

#include <algorithm>
#include <vector>

#include "base/CheckedFile.h"
#include "base/FinalPath.h"
#include "base/Handles.h"

namespace {

bool IsLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Why a new file could not be created. A file held by another program, a folder or
// medium that takes no new files, or a full disk would leave the install incomplete
// without a word: those are Refused, and the user is asked (Retry once the other program
// has let go or space has been made). Anything else: NotCreated.
WriteOutcome OpenFailure(DWORD error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_ACCESS_DENIED:
            return WriteOutcome::Refused;
        default:
            return WriteOutcome::NotCreated;
    }
}

// Made new, never through what stands at the name, with DELETE, so that one made in the
// wrong place can go again.
UniqueFile Open(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
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
                            std::size_t size, const std::function<bool()>& record) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (IsLink(attributes)) return WriteOutcome::Link;
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return attributes & FILE_ATTRIBUTE_DIRECTORY ? WriteOutcome::NotCreated : WriteOutcome::Exists;
    if (!record()) return WriteOutcome::NotRecorded;  // before creation: it stands even if creation fails
    UniqueFile file = Open(path);
    if (!file) {
        const DWORD error = ::GetLastError();
        // Made by someone else since the look above: the user may retry.
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return WriteOutcome::Refused;
        return OpenFailure(error);
    }
    if (!HandleLeadsTo(file.get(), expectedFinal)) {
        DeleteOpenedFile(file.get());  // made by this call, in a place not meant
        return WriteOutcome::Link;
    }
    const WriteOutcome outcome = WriteAll(file.get(), data, size);
    return ::CloseHandle(file.release()) ? outcome : WriteOutcome::Failed;
}

bool WriteNewCheckedFile(const std::wstring& path, const std::wstring& expectedFinal, const void* data,
                         std::size_t size) {
    UniqueFile file = Open(path);
    if (!file) return false;
    const bool written = HandleLeadsTo(file.get(), expectedFinal) &&
                         WriteAll(file.get(), data, size) == WriteOutcome::Written && ::FlushFileBuffers(file.get());
    if (!written) DeleteOpenedFile(file.get());  // made by this call: gone when the handle closes
    return written;
}

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The folder a move goes into: no link itself, leading where its path is meant to, and
// held without delete sharing until the move is done, so that neither it nor a folder
// above it can be renamed or swapped for a link meanwhile.
UniqueFile OpenTargetFolder(const std::wstring& folder, const std::wstring& expected) {
    UniqueFile handle(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD attributes = 0;
    if (!handle || !AttributesOf(handle.get(), attributes) || IsLink(attributes) ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        expected.empty() || !SameFilePath(FinalPathOf(handle.get()), expected)) {
        if (handle) ::SetLastError(ERROR_REPARSE_TAG_MISMATCH);
        return UniqueFile();
    }
    return handle;
}

bool ReadWhole(HANDLE file, std::vector<unsigned char>& bytes) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart > (LONGLONG{1} << 30)) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    for (size_t done = 0; done < bytes.size();) {
        DWORD read = 0;
        const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, size_t{1} << 22));
        if (!::ReadFile(file, bytes.data() + done, part, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

}  // namespace

bool MoveCheckedFile(const std::wstring& from, const std::wstring& fromExpected, const std::wstring& to,
                     const std::wstring& toExpected, const std::function<bool()>& record) {
    UniqueFile file(::CreateFileW(from.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_READ_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    if (!HandleLeadsTo(file.get(), fromExpected)) {
        ::SetLastError(ERROR_REPARSE_TAG_MISMATCH);
        return false;
    }
    const UniqueFile folder = OpenTargetFolder(FolderOf(to), FolderOf(toExpected));
    if (!folder) return false;
    if (record && !record()) return false;
    if (RenameOpenedFile(file.get(), to, false)) return true;
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
    std::vector<unsigned char> bytes;
    if (!ReadWhole(file.get(), bytes) || !WriteNewCheckedFile(to, toExpected, bytes.data(), bytes.size()))
        return false;
    if (DeleteOpenedFile(file.get())) return true;
    const DWORD error = ::GetLastError();
    DeleteCheckedFile(to, toExpected);  // the copy goes again: nothing moved
    ::SetLastError(error);
    return false;
}

bool DeleteCheckedFile(const std::wstring& path, const std::wstring& expectedFinal) {
    const UniqueFile file(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && HandleLeadsTo(file.get(), expectedFinal) && DeleteOpenedFile(file.get());
}
