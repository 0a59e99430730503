#include "SelfRemoval.h"

#include <windows.h>

#include "Invocation.h"
#include "UndoPlan.h"
#include "ui/Handles.h"

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
// the same folder apart.
std::wstring RenameAside(const std::wstring& self, const std::wstring& folder) {
    for (DWORD attempt = 0; attempt < 16; ++attempt) {
        const std::wstring aside = folder + L"\\" + kRenamedUninstallerPrefix +
                                   std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) +
                                   kRenamedUninstallerSuffix;
        if (::MoveFileExW(self.c_str(), aside.c_str(), 0)) return aside;
        if (::GetLastError() != ERROR_ALREADY_EXISTS && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return {};
}

bool StartHidden(const std::wstring& arguments) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
    std::wstring line = L"cmd.exe /d /q /v:off /c " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Started in the system folder: a helper standing in the install folder would keep
    // that folder from being removed.
    if (!::CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, system, &startup, &process))
        return false;
    UniqueHandle(process.hProcess).reset();
    UniqueHandle(process.hThread).reset();
    return true;
}

}  // namespace

bool RemoveSelfAfterExit(const std::wstring& installFolder, const std::vector<std::wstring>& folders, bool keepNote) {
    if (!keepNote) ::DeleteFileW((installFolder + L"\\" + kRanNoteName).c_str());

    const std::wstring self = SelfPath();
    std::wstring doomed = RenameAside(self, installFolder);
    if (doomed.empty()) {
        // Under its own name the file may only go when the folder goes too: a silent run
        // is followed by a setup that unpacks a new "uninstall.exe" in its place.
        if (folders.empty() || self.empty()) return false;
        doomed = self;
    }
    ::MoveFileExW(doomed.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    const std::wstring command = CleanupCommand(doomed, folders, kHelperTries);
    if (!command.empty() && StartHidden(command)) return true;
    // No helper: the restart removes the folders too, each only if it is empty then.
    for (const std::wstring& folder : folders) ::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return false;
}

}  // namespace undo
