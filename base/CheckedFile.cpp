#include "base/CheckedFile.h"

#include "base/FinalPath.h"

#include <cstddef>
#include <cstdint>
#include <vector>

std::wstring ExpectedFinalPath(const std::wstring& path) {
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return {};
    // A drive root is named with its backslash.
    const std::wstring folder = FinalPathOfPlace(path.substr(0, slash == 2 ? 3 : slash));
    if (folder.empty()) return {};
    return (folder.back() == L'\\' ? folder : folder + L'\\') + path.substr(slash + 1);
}

bool HandleLeadsTo(HANDLE file, const std::wstring& expectedFinal) {
    if (expectedFinal.empty()) return false;
    DWORD attributes = 0;
    if (!AttributesOf(file, attributes) || (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const std::wstring final = FinalPathOf(file);
    return !final.empty() && SameFilePath(final, expectedFinal);
}

bool DeleteOpenedFile(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
}

namespace {

CheckedFile OpenExisting(const std::wstring& path, const std::wstring& expectedFinal, DWORD access, DWORD share) {
    CheckedFile out;
    UniqueFile file(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        out.error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (out.error == ERROR_FILE_NOT_FOUND || out.error == ERROR_PATH_NOT_FOUND)
            out.status = CheckedFile::Status::Missing;
        else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            out.status = CheckedFile::Status::Refused;  // a folder at the name is not the file meant
        else
            out.status = CheckedFile::Status::Failed;
        return out;
    }
    out.status = HandleLeadsTo(file.get(), expectedFinal) ? CheckedFile::Status::Opened : CheckedFile::Status::Refused;
    if (out.status == CheckedFile::Status::Opened) out.file = std::move(file);
    return out;
}

// Makes `path` anew, empty, and keeps it only when it leads to `expectedFinal`. The handle
// that made it holds nothing but DELETE (to take back a file made in the wrong place),
// and is closed before the caller's own is opened: a handle holding DELETE would keep out
// every later opener without delete sharing.
CheckedFile::Status MakeEmpty(const std::wstring& path, const std::wstring& expectedFinal, DWORD& error) {
    UniqueFile made(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!made) {
        error = ::GetLastError();
        return error == ERROR_FILE_EXISTS ? CheckedFile::Status::Missing : CheckedFile::Status::Failed;
    }
    if (HandleLeadsTo(made.get(), expectedFinal)) return CheckedFile::Status::Opened;
    DeleteOpenedFile(made.get());  // gone when the handle closes
    return CheckedFile::Status::Refused;
}

}  // namespace

CheckedFile OpenCheckedFile(const std::wstring& path, const std::wstring& expectedFinal, DWORD access, DWORD share,
                            CheckedOpen how) {
    CheckedFile out = OpenExisting(path, expectedFinal, access, share);
    if (how == CheckedOpen::Existing || out.status != CheckedFile::Status::Missing) return out;
    // Made anew, then opened as any existing file: checked again on the way.
    DWORD error = 0;
    const CheckedFile::Status made = MakeEmpty(path, expectedFinal, error);
    if (made == CheckedFile::Status::Refused || made == CheckedFile::Status::Failed) {
        out.status = made;
        out.error = error;
        return out;
    }
    out = OpenExisting(path, expectedFinal, access, share);
    out.created = made == CheckedFile::Status::Opened;  // Missing: someone made it meanwhile
    return out;
}

bool RenameOpenedFile(HANDLE file, const std::wstring& to, bool replaceExisting) {
    // Given to the system in its NT form; FILE_RENAME_INFO ends in the name, of a length
    // given in bytes.
    const std::wstring name = L"\\??\\" + to;
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
    std::vector<std::uint64_t> buffer(bytes / sizeof(std::uint64_t) + 1);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replaceExisting ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    name.copy(rename->FileName, name.size());
    return ::SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(bytes));
}
