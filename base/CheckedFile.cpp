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

CheckedFile OpenCheckedFile(const std::wstring& path, const std::wstring& expectedFinal, DWORD access, DWORD share,
                            CheckedOpen how) {
    CheckedFile out;
    const bool mayCreate = how == CheckedOpen::Always;
    UniqueFile file(::CreateFileW(path.c_str(), mayCreate ? access | DELETE : access, share, nullptr,
                                  mayCreate ? OPEN_ALWAYS : OPEN_EXISTING,
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
    out.created = mayCreate && ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (!HandleLeadsTo(file.get(), expectedFinal)) {
        if (out.created) DeleteOpenedFile(file.get());  // made by this call, in a place not meant
        out.status = CheckedFile::Status::Refused;
        return out;
    }
    // DELETE was only for a file made in the wrong place: a handle that holds it would
    // keep every later opener without delete sharing out. The same file is opened again
    // through the handle, as the caller asked.
    if (mayCreate && !(access & DELETE)) {
        UniqueFile again(::ReOpenFile(file.get(), access, share, FILE_FLAG_OPEN_REPARSE_POINT));
        if (!again) {
            out.error = ::GetLastError();
            return out;  // Failed
        }
        file = std::move(again);
    }
    out.status = CheckedFile::Status::Opened;
    out.file = std::move(file);
    return out;
}

bool RenameCheckedFile(const std::wstring& path, const std::wstring& expectedFinal, const std::wstring& newPath) {
    const CheckedFile opened = OpenCheckedFile(path, expectedFinal, DELETE | FILE_READ_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                               CheckedOpen::Existing);
    if (opened.status != CheckedFile::Status::Opened) return false;
    // FILE_RENAME_INFO ends in the new name, of a length given in bytes.
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + newPath.size() * sizeof(wchar_t);
    std::vector<std::uint64_t> buffer(bytes / sizeof(std::uint64_t) + 1);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(newPath.size() * sizeof(wchar_t));
    newPath.copy(rename->FileName, newPath.size());
    return ::SetFileInformationByHandle(opened.file.get(), FileRenameInfo, rename, static_cast<DWORD>(bytes));
}
