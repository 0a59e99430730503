#include "UndoRun.h"

#include <shlobj.h>

#include "engine/JournalRecord.h"
#include "ui/Handles.h"

namespace undo {
namespace {

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

HKEY RootKey(std::uint32_t root) {
    return root == journal::kRootLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// True when a part of `path` after the trusted folder (the last part too) is a link or
// junction: what lies behind it is not the install's, whatever the journal says.
bool PassesThroughLink(const Step& step) {
    for (std::size_t at = step.anchor + 1; at <= step.path.size(); ++at) {
        if (at != step.path.size() && step.path[at] != L'\\') continue;
        const DWORD attributes = ::GetFileAttributesW(step.path.substr(0, at).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    }
    return false;
}

Outcome DeleteOneFile(const std::wstring& path, DWORD& error) {
    if (::DeleteFileW(path.c_str())) return Outcome::Done;
    error = ::GetLastError();
    if (IsGone(error)) return Outcome::AlreadyGone;
    // A read-only file is still the install's own.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY) &&
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (::DeleteFileW(path.c_str())) return Outcome::Done;
        error = ::GetLastError();
    }
    return Outcome::Failed;
}

Outcome DeleteValue(const Step& step, DWORD& error) {
    UniqueHKey key;
    LSTATUS status = ::RegOpenKeyExW(RootKey(step.root), step.path.c_str(), 0, KEY_SET_VALUE, key.put());
    if (status == ERROR_SUCCESS) status = ::RegDeleteValueW(key.get(), step.valueName.c_str());
    error = static_cast<DWORD>(status);
    if (status == ERROR_SUCCESS) return Outcome::Done;
    return IsGone(error) ? Outcome::AlreadyGone : Outcome::Failed;
}

// A key goes only when nothing is left in it: what others put there stays, and the key
// with it.
Outcome DeleteKeyIfEmpty(const Step& step, DWORD& error) {
    const HKEY root = RootKey(step.root);
    DWORD subKeys = 0, values = 0;
    {
        UniqueHKey key;
        LSTATUS status = ::RegOpenKeyExW(root, step.path.c_str(), 0, KEY_READ, key.put());
        if (status == ERROR_SUCCESS)
            status = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr);
        error = static_cast<DWORD>(status);
        if (status != ERROR_SUCCESS) return IsGone(error) ? Outcome::AlreadyGone : Outcome::Failed;
    }
    if (subKeys != 0 || values != 0) return Outcome::KeptNotEmpty;
    error = static_cast<DWORD>(::RegDeleteKeyW(root, step.path.c_str()));
    return error == ERROR_SUCCESS ? Outcome::Done : Outcome::Failed;
}

StepResult RunStep(const Step& step) {
    StepResult result{step, Outcome::Done, 0};
    const bool onDisk = step.action == Action::RemoveFile || step.action == Action::RemoveFolder;
    if (onDisk && PassesThroughLink(step)) {
        result.outcome = Outcome::Refused;
        return result;
    }
    switch (step.action) {
        case Action::RemoveFile: result.outcome = DeleteOneFile(step.path, result.error); break;
        case Action::RemoveFolder: result.outcome = RemoveFolderIfEmpty(step.path, result.error); break;
        case Action::RemoveValue: result.outcome = DeleteValue(step, result.error); break;
        case Action::RemoveKeyIfEmpty: result.outcome = DeleteKeyIfEmpty(step, result.error); break;
    }
    return result;
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

std::wstring OwnFolder() {
    std::wstring self(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size()) return {};
    self.resize(length);
    // Journal paths are long names; a start through a short name must still match.
    std::wstring full(32768, L'\0');
    const DWORD fullLength = ::GetLongPathNameW(self.c_str(), full.data(), static_cast<DWORD>(full.size()));
    if (fullLength != 0 && fullLength < full.size()) self.assign(full.c_str(), fullLength);
    return self.substr(0, self.rfind(L'\\'));
}

}  // namespace

Outcome RemoveFolderIfEmpty(const std::wstring& folder, DWORD& error) {
    if (::RemoveDirectoryW(folder.c_str())) return Outcome::Done;
    error = ::GetLastError();
    if (IsGone(error)) return Outcome::AlreadyGone;
    return error == ERROR_DIR_NOT_EMPTY ? Outcome::KeptNotEmpty : Outcome::Failed;
}

std::vector<StepResult> RunUndoPlan(const Plan& plan) {
    std::vector<StepResult> results;
    results.reserve(plan.steps.size());
    for (const Step& step : plan.steps) results.push_back(RunStep(step));
    return results;
}

Places CurrentPlaces() {
    Places places;
    places.installFolder = OwnFolder();
    places.programs = {ShellFolder(CSIDL_COMMON_PROGRAMS), ShellFolder(CSIDL_PROGRAMS)};
    places.desktops = {ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY), ShellFolder(CSIDL_DESKTOPDIRECTORY)};
    return places;
}

}  // namespace undo
