#include "engine/FolderTakeover.h"

#include <sddl.h>

#include <algorithm>

#include "base/CheckedFile.h"
#include "base/FinalPath.h"
#include "base/Handles.h"
#include "base/pure/AsciiCase.h"
#include "engine/FileTrust.h"
#include "engine/FolderChain.h"
#include "engine/FolderSecurity.h"

namespace {

constexpr DWORD kTakeoverAccess = READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES |
                                  FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;

// Restoring files and taking ownership, enabled while the folder is taken over and put
// back as they were afterwards: with them an administrator may set the owner and DACL of
// a file whose DACL shuts the Administrators out.
class OwnershipPrivileges {
public:
    OwnershipPrivileges() {
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put())) return;
        struct {
            DWORD count;
            LUID_AND_ATTRIBUTES privileges[2];
        } wanted{2, {}};
        if (!::LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &wanted.privileges[0].Luid) ||
            !::LookupPrivilegeValueW(nullptr, SE_TAKE_OWNERSHIP_NAME, &wanted.privileges[1].Luid))
            return;
        wanted.privileges[0].Attributes = wanted.privileges[1].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD size = sizeof(before_);
        adjusted_ = ::AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted),
                                            sizeof(before_), reinterpret_cast<TOKEN_PRIVILEGES*>(&before_), &size);
    }
    ~OwnershipPrivileges() {
        if (adjusted_)
            ::AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&before_), 0, nullptr,
                                    nullptr);
    }
    OwnershipPrivileges(const OwnershipPrivileges&) = delete;
    OwnershipPrivileges& operator=(const OwnershipPrivileges&) = delete;

private:
    UniqueHandle token_;
    struct {
        DWORD count;
        LUID_AND_ATTRIBUTES privileges[2];
    } before_{};
    bool adjusted_ = false;
};

UniqueFile OpenAsIs(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), kTakeoverAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Whether others could change the open object; true when that cannot be read.
bool OthersCouldChange(HANDLE object) {
    trust::Descriptor descriptor;
    return !ReadFileSecurity(object, descriptor) || trust::OthersCanChange(descriptor);
}

// Owner Administrators and the DACL `sddl`, set on the object itself only (nothing is
// handed down to what a folder holds), then read back.
bool MakeAdministrators(HANDLE object, const wchar_t* daclSddl) {
    UniqueLocal security;
    const std::wstring sddl = std::wstring(L"O:BA") + daclSddl;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, security.put(),
                                                                nullptr) ||
        !::SetKernelObjectSecurity(object, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, security.get()))
        return false;
    if (!OthersCouldChange(object)) return true;
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

// The open level at `path` is a link: the system says so (by the handle, or by the name,
// as this Wine does for a link to a folder), or the handle leads elsewhere than the name
// says (this Wine follows such a link even so), or that cannot be read.
bool IsLink(HANDLE object, DWORD attributes, const std::wstring& path) {
    const DWORD named = ::GetFileAttributesW(path.c_str());
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT)))
        return true;
    const std::wstring final = FinalPathOf(object), expected = ExpectedFinalPath(path);
    return final.empty() || expected.empty() || !SameFilePath(final, expected);
}

class Takeover {
public:
    Takeover(const std::wstring& folder, const std::function<bool(const std::wstring&)>& carried)
        : folder_(folder), carried_(carried) {}

    FolderTakeover run() {
        const OwnershipPrivileges privileges;
        const std::vector<std::wstring> levels = FolderChainLevels(folder_);
        for (size_t i = 0; i + 1 < levels.size(); ++i)
            if (!takeLevel(levels[i])) return result_;
        if (!takeFolder()) return result_;
        if (!takeContent(folder_)) return result_;
        result_.outcome = FolderTakeover::Outcome::TakenOver;
        return result_;
    }

private:
    bool fail(FolderTakeover::Outcome outcome, const std::wstring& where) {
        result_.error = ::GetLastError();
        result_.outcome = outcome;
        result_.where = where;
        return false;
    }

    // A level above: kept when no one else could change it, taken over when it is a
    // plain folder, refused when it is a link others could change.
    bool takeLevel(const std::wstring& level) {
        const UniqueFile handle = OpenAsIs(level);
        if (!handle) return fail(FolderTakeover::Outcome::Failed, level);
        DWORD attributes = 0;
        if (!AttributesOf(handle.get(), attributes)) return fail(FolderTakeover::Outcome::Failed, level);
        if (!OthersCouldChange(handle.get())) return true;
        result_.othersCouldChange = true;
        if (IsLink(handle.get(), attributes, level)) return fail(FolderTakeover::Outcome::Link, level);
        if (!MakeAdministrators(handle.get(), kProtectedFolderSddl)) return fail(FolderTakeover::Outcome::Failed, level);
        result_.levelsTakenOver.push_back(level);
        return true;
    }

    bool takeFolder() {
        const UniqueFile handle = OpenAsIs(folder_);
        DWORD attributes = 0;
        if (!handle || !AttributesOf(handle.get(), attributes)) return fail(FolderTakeover::Outcome::Failed, folder_);
        if (IsLink(handle.get(), attributes, folder_)) return fail(FolderTakeover::Outcome::Link, folder_);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ::SetLastError(ERROR_DIRECTORY);
            return fail(FolderTakeover::Outcome::Failed, folder_);
        }
        if (OthersCouldChange(handle.get())) result_.othersCouldChange = true;
        if (!MakeAdministrators(handle.get(), kProtectedFolderSddl)) return fail(FolderTakeover::Outcome::Failed, folder_);
        return true;
    }

    // What `folder` holds, its own content first, then each folder inside (links are taken
    // over as they are, never entered). The folder is the administrators' by now: no one
    // else can add or swap what is listed here.
    bool takeContent(const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        const UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (!find) return ::GetLastError() == ERROR_FILE_NOT_FOUND || fail(FolderTakeover::Outcome::Failed, folder);
        std::vector<std::wstring> inside;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (!takeItem(path)) return false;
            const DWORD kind = found.dwFileAttributes;
            if ((kind & FILE_ATTRIBUTE_DIRECTORY) && !(kind & FILE_ATTRIBUTE_REPARSE_POINT) &&
                std::find(result_.linksLeft.begin(), result_.linksLeft.end(), path) == result_.linksLeft.end())
                inside.push_back(path);
        } while (::FindNextFileW(find.get(), &found));
        for (const std::wstring& sub : inside)
            if (!takeContent(sub)) return false;
        return true;
    }

    bool takeItem(const std::wstring& path) {
        const UniqueFile handle = OpenAsIs(path);
        DWORD attributes = 0;
        if (!handle || !AttributesOf(handle.get(), attributes)) return fail(FolderTakeover::Outcome::Failed, path);
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A handle that leads elsewhere than its name says went through a link (this Wine
        // follows a link to a file even so): what is behind it is someone else's and stays
        // untouched; the setup never writes through it either (base/CheckedFile.h).
        const std::wstring final = FinalPathOf(handle.get()), expected = ExpectedFinalPath(path);
        if (final.empty() || expected.empty() || !SameFilePath(final, expected)) {
            result_.othersCouldChange = true;
            result_.linksLeft.push_back(path);
            return true;
        }
        if (OthersCouldChange(handle.get())) result_.othersCouldChange = true;
        if (!MakeAdministrators(handle.get(), folder ? kInheritedFolderSddl : kInheritedFileSddl))
            return fail(FolderTakeover::Outcome::Failed, path);
        if (folder) return true;
        result_.filesFound.push_back(path);
        // A read-only file the payload carries would be skipped as one that may not be
        // replaced: it is not the client's until the payload has replaced it.
        if ((attributes & FILE_ATTRIBUTE_READONLY) && carried_(path.substr(folder_.size() + 1))) {
            FILE_BASIC_INFO basic{};  // zero times: left as they are
            basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
            if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            if (!::SetFileInformationByHandle(handle.get(), FileBasicInfo, &basic, sizeof(basic)))
                return fail(FolderTakeover::Outcome::Failed, path);
        }
        return true;
    }

    const std::wstring& folder_;
    const std::function<bool(const std::wstring&)>& carried_;
    FolderTakeover result_;
};

}  // namespace

FolderTakeover TakeOverInstallFolder(const std::wstring& folder,
                                     const std::function<bool(const std::wstring& relative)>& carried) {
    try {
        return Takeover(folder, carried).run();
    } catch (...) {  // out of memory: nothing is known to be the administrators'
        FolderTakeover failed;
        failed.where = folder;
        failed.error = ERROR_NOT_ENOUGH_MEMORY;
        return failed;
    }
}

bool IsProgramFileName(const std::wstring& name) {
    static constexpr const wchar_t* kExtensions[] = {L".exe", L".dll", L".sys", L".ocx", L".cpl", L".scr",
                                                     L".com", L".drv", L".msi", L".bat", L".cmd", L".ps1",
                                                     L".vbs", L".js",  L".lnk", L".manifest"};
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || name.find(L'\\', dot) != std::wstring::npos) return false;
    const std::wstring extension = name.substr(dot);
    for (const wchar_t* known : kExtensions)
        if (SameTextIgnoringAsciiCase(extension.c_str(), known)) return true;
    return false;
}
