#include "SelfRemoval.h"

#include <windows.h>

#include "Invocation.h"
#include "base/Handles.h"
#include "base/Process.h"
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"
#include "base/pure/DecimalText.h"

namespace undo {
namespace {

// About two minutes of attempts, a second apart: ample for a process that is ending.
constexpr int kHelperTries = 120;

std::wstring SelfPath() {
    std::wstring self(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    self.resize(length < self.size() ? length : 0);
    return self;
}

// A name in `folder` that nothing else uses: the process id keeps two uninstallers of
// the same folder apart. Empty when the program could not be moved there.
std::wstring MoveAside(const std::wstring& self, std::wstring folder) {
    if (folder.empty()) return {};
    if (folder.back() != L'\\') folder += L'\\';
    for (DWORD attempt = 0; attempt < 16; ++attempt) {
        const std::wstring aside = folder + kRenamedUninstallerPrefix + DecimalText(::GetCurrentProcessId()) +
                                   L"-" + DecimalText(attempt) + kRenamedUninstallerSuffix;
        if (::MoveFileExW(self.c_str(), aside.c_str(), 0)) return aside;
        if (::GetLastError() != ERROR_ALREADY_EXISTS && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return {};
}

// The folder that holds `path`, a drive root with its backslash.
std::wstring ParentOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return {};
    return path.substr(0, slash == 2 ? 3 : slash);
}

std::wstring SystemFolder() {
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    return length != 0 && length < MAX_PATH ? std::wstring(system, length) : std::wstring();
}

// The system's own cmd, by its full path: a bare "cmd" would be looked for beside this
// (elevated) program first.
bool StartHidden(const std::wstring& arguments) {
    const std::wstring system = SystemFolder();
    if (system.empty()) return false;
    ProcessStart start;
    start.program = system + L"\\cmd.exe";
    start.commandLine = L"cmd.exe /d /q /v:off /c " + arguments;
    start.flags = CREATE_NO_WINDOW;
    // Started in the system folder: a helper standing in the install folder would keep
    // that folder from being removed.
    start.folder = system.c_str();
    return static_cast<bool>(StartProcess(start));
}

}  // namespace

bool RemoveSelfAfterExit(const std::wstring& installFolder, const std::vector<std::wstring>& folders, bool keepNote) {
    DWORD ignored = 0;
    if (!keepNote) RemoveFileAsNamed(installFolder + L"\\" + kRanNoteName, ignored);

    const std::wstring self = SelfPath();
    // With folders to remove, the program first leaves them all: moved beside the
    // outermost one (the same volume, so a rename), it lets each be removed here, through
    // a checked handle, before this process ends. Only the file is left for the helper.
    std::vector<std::wstring> helperFolders = folders;
    std::wstring doomed = folders.empty() ? std::wstring() : MoveAside(self, ParentOf(folders.back()));
    if (!doomed.empty()) {
        for (const std::wstring& folder : folders) RemoveFolderIfEmpty(folder, ignored);
        helperFolders.clear();
    } else {
        doomed = MoveAside(self, installFolder);
    }
    if (doomed.empty()) {
        // Under its own name the file may only go when the folder goes too: a silent run
        // is followed by a setup that unpacks a new "uninstall.exe" in its place.
        if (folders.empty() || self.empty()) return false;
        doomed = self;
    }
    ::MoveFileExW(doomed.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    const std::wstring system = SystemFolder();
    const std::wstring command =
        system.empty() ? std::wstring() : CleanupCommand(doomed, helperFolders, kHelperTries, system + L"\\ping.exe");
    if (!command.empty() && StartHidden(command)) return true;
    // No helper: the restart removes the folders too, each only if it is empty then.
    for (const std::wstring& folder : helperFolders)
        ::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return false;
}

}  // namespace undo
