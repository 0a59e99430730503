#include "journal/UndoRun.h"

#include <shlobj.h>

#include "base/EntryFile.h"
#include "base/FinalPath.h"
#include "journal/JournalRecord.h"
#include "base/Handles.h"
#include "base/RegistryView.h"

namespace undo {
namespace {

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

HKEY RootKey(std::uint32_t root) {
    return root == journal::kRootLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Opens `path` with `access` without following a link at the last level and checks that
// it is what a step means (a folder or a file) and leads exactly to `expected`: a folder
// on the way swapped for a junction since would otherwise take what follows elsewhere. A
// link standing at the name, or a path that now leads elsewhere, is not the install's:
// Refused. Done with the handle in `object` and its attributes in `attributes`.
Outcome OpenChecked(const std::wstring& path, const std::wstring& expected, bool folder, DWORD access,
                    UniqueFile& object, DWORD& attributes, DWORD& error) {
    object.reset(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!object) {
        error = ::GetLastError();
        return IsGone(error) ? Outcome::AlreadyGone : Outcome::Failed;
    }
    if (!AttributesOf(object.get(), attributes)) {
        error = ::GetLastError();
        return Outcome::Failed;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Outcome::Refused;
    if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) {
        error = folder ? ERROR_DIRECTORY : ERROR_ACCESS_DENIED;  // a file step never removes a folder
        return Outcome::Failed;
    }
    const std::wstring final = FinalPathOf(object.get());
    if (final.empty() || !SameFilePath(final, expected)) return Outcome::Refused;
    return Outcome::Done;
}

// Deletes through a handle that OpenChecked found leading to `expected`.
Outcome DeleteChecked(const std::wstring& path, const std::wstring& expected, bool folder, DWORD& error) {
    UniqueFile object;
    DWORD attributes = 0;
    const Outcome opened = OpenChecked(path, expected, folder, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                       object, attributes, error);
    if (opened != Outcome::Done) return opened;
    // A read-only file is still the install's own.
    if (!folder && (attributes & FILE_ATTRIBUTE_READONLY)) {
        FILE_BASIC_INFO basic{};  // zero times and zero attributes mean "leave as they are"
        basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        ::SetFileInformationByHandle(object.get(), FileBasicInfo, &basic, sizeof(basic));
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (::SetFileInformationByHandle(object.get(), FileDispositionInfo, &disposition, sizeof(disposition)))
        return Outcome::Done;  // gone when the handle closes, on leaving
    error = ::GetLastError();
    return folder && error == ERROR_DIR_NOT_EMPTY ? Outcome::KeptNotEmpty : Outcome::Failed;
}

// Where a step's path must lead. Inside the install folder, the install folder and the
// folders above it: exactly where the journal says, no link anywhere on the way. Below a
// folder of the system's own (the Programs and desktop folders), which may itself be
// reached through a link: that folder as the file system has it, then the rest as named.
std::wstring ExpectedPath(const Step& step, const std::wstring& installFolder) {
    const std::wstring anchor = step.path.substr(0, step.anchor);
    if (step.anchor == 0 || SameText(anchor, installFolder)) return PlainSpellingOf(step.path);
    const std::wstring final = FinalPathOfPlace(anchor);
    return final.empty() ? PlainSpellingOf(step.path) : final + step.path.substr(step.anchor);
}

Outcome DeleteValue(const Step& step, DWORD& error) {
    UniqueHKey key;
    LSTATUS status =
        ::RegOpenKeyExW(RootKey(step.root), step.path.c_str(), 0, KEY_SET_VALUE | kRegistryView, key.put());
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
        LSTATUS status = ::RegOpenKeyExW(root, step.path.c_str(), 0, KEY_READ | kRegistryView, key.put());
        if (status == ERROR_SUCCESS)
            status = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr);
        error = static_cast<DWORD>(status);
        if (status != ERROR_SUCCESS) return IsGone(error) ? Outcome::AlreadyGone : Outcome::Failed;
    }
    if (subKeys != 0 || values != 0) return Outcome::KeptNotEmpty;
    error = static_cast<DWORD>(::RegDeleteKeyExW(root, step.path.c_str(), kRegistryView, 0));
    return error == ERROR_SUCCESS ? Outcome::Done : Outcome::Failed;
}

// The file that a run moved aside goes home: whatever the run put at its name goes first
// (the run's own file, or what it left half written), then the backup is moved back
// through checked handles. Nothing to do when the backup is not there (the run ended
// before it moved the file).
Outcome RestoreBackup(const Step& step, const std::wstring& installFolder, DWORD& error) {
    const std::wstring backupPlace = PlainSpellingOf(step.backup);
    {
        UniqueFile backup;
        DWORD attributes = 0;
        const Outcome found = OpenChecked(step.backup, backupPlace, false, FILE_READ_ATTRIBUTES, backup, attributes, error);
        if (found != Outcome::Done) return found;
    }
    const std::wstring home = ExpectedPath(step, installFolder);
    const Outcome cleared = DeleteChecked(step.path, home, false, error);
    if (cleared != Outcome::Done && cleared != Outcome::AlreadyGone) return cleared;
    if (MoveCheckedFile(step.backup, backupPlace, step.path, home)) return Outcome::Done;
    error = ::GetLastError();
    return Outcome::Failed;
}

Outcome RestoreValue(const Step& step, DWORD& error) {
    UniqueHKey key;
    LSTATUS status = ::RegCreateKeyExW(RootKey(step.root), step.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_SET_VALUE | kRegistryView, nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS)
        status = ::RegSetValueExW(key.get(), step.valueName.c_str(), 0, step.valueType,
                                  reinterpret_cast<const BYTE*>(step.data.data()), static_cast<DWORD>(step.data.size()));
    error = static_cast<DWORD>(status);
    return status == ERROR_SUCCESS ? Outcome::Done : Outcome::Failed;
}

StepResult RunStep(const Step& step, const std::wstring& installFolder) {
    StepResult result{step, Outcome::Done, 0};
    switch (step.action) {
        case Action::RemoveFile:
        case Action::RemoveFolder:
            result.outcome = DeleteChecked(step.path, ExpectedPath(step, installFolder),
                                           step.action == Action::RemoveFolder, result.error);
            break;
        case Action::RemoveValue: result.outcome = DeleteValue(step, result.error); break;
        case Action::RemoveKeyIfEmpty: result.outcome = DeleteKeyIfEmpty(step, result.error); break;
        case Action::RestoreBackup: result.outcome = RestoreBackup(step, installFolder, result.error); break;
        case Action::RestoreValue: result.outcome = RestoreValue(step, result.error); break;
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
    return DeleteChecked(folder, PlainSpellingOf(folder), true, error);
}

Outcome RemoveFileAsNamed(const std::wstring& file, DWORD& error) {
    return DeleteChecked(file, PlainSpellingOf(file), false, error);
}

bool FileStepInPlace(const Step& step, const std::wstring& installFolder) {
    if (step.action != Action::RemoveFile) return false;
    UniqueFile object;
    DWORD attributes = 0, error = 0;
    return OpenChecked(step.path, ExpectedPath(step, installFolder), false, FILE_READ_ATTRIBUTES, object, attributes,
                       error) == Outcome::Done;
}

std::vector<StepResult> RunUndoPlan(const Plan& plan) {
    std::vector<StepResult> results;
    results.reserve(plan.steps.size());
    for (const Step& step : plan.steps) results.push_back(RunStep(step, plan.installFolder));
    return results;
}

Places CurrentPlaces() { return PlacesFor(OwnFolder()); }

Places PlacesFor(const std::wstring& installFolder) {
    Places places;
    places.installFolder = installFolder;
    places.programs = {ShellFolder(CSIDL_COMMON_PROGRAMS), ShellFolder(CSIDL_PROGRAMS)};
    places.desktops = {ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY), ShellFolder(CSIDL_DESKTOPDIRECTORY)};
    return places;
}

}  // namespace undo
