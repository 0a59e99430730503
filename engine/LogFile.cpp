#include "engine/LogFile.h"

#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "base/pure/DecimalText.h"

namespace {

// A name that exists, of the default log, is passed over this many times at most: a user
// who fills the temporary folder with the names to come only costs the run its log.
constexpr int kMaxNumberedNames = 100;

UniqueFile CreateNew(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return file;
    if (HandleLeadsTo(file.get(), ExpectedFinalPath(path))) return file;
    DeleteOpenedFile(file.get());  // made in a place not meant: gone when closed
    ::SetLastError(ERROR_CANT_ACCESS_FILE);
    return UniqueFile();
}

bool NameTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

}  // namespace

std::wstring NumberedLogName(const std::wstring& path, int n) {
    if (n <= 1) return path;
    const std::size_t slash = path.rfind(L'\\');
    std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) dot = path.size();
    return path.substr(0, dot) + L"-" + DecimalText(static_cast<unsigned>(n)) + path.substr(dot);
}

UniqueFile CreateLogFile(const std::wstring& path, LogName kind) {
    if (kind == LogName::Chosen) {
        // The file asked for is replaced only when it is a plain file where its name says.
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
            !DeleteCheckedFile(path, ExpectedFinalPath(path))) {
            ::SetLastError(ERROR_CANT_ACCESS_FILE);
            return UniqueFile();
        }
        return CreateNew(path);  // made meanwhile by someone else: refused too
    }
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        UniqueFile file = CreateNew(NumberedLogName(path, n));
        if (file || !NameTaken(::GetLastError())) return file;
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return UniqueFile();
}
