#include "app/InstallManager.h"

#include "app/DefaultFolder.h"
#include "app/EarlierInstall.h"
#include "engine/RunRollback.h"
#include "app/SetupUi.h"
#include "engine/Processes.h"
#include "engine/SetupLog.h"
#include "base/pure/DecimalText.h"

// Decides, before any window opens, whether setup may go on, and picks the initial
// install folder.
bool Install_CIM::PrepareSetup() {
    if (!ClaimSingleInstance()) {
        if (ui_) ui_->ShowAlreadyRunning();
        return false;
    }
    // The crash reporter would hold client files open; it is ended without asking, as
    // found by the last look for the client (after its last prompt).
    std::vector<DWORD> crashReporters;
    if (!WaitForClientToClose(crashReporters)) return false;
    TerminateProcesses(crashReporters);
    TakeBackUnfinishedRuns();

    CUIString previous;
    if (ReadPreviousInstallFolder(previous) && !previous.empty()) {
        // In the spelling the install will use; as recorded when it has none, for the
        // start to refuse.
        SetInstallPath(EarlierFolderSpelling(previous));
        LogStep(L"Folder proposed (the earlier installation's): " + state_.installPath);
        return true;
    }
    if (!UseDefaultFolder()) return false;
    LogStep(L"Folder proposed: " + state_.installPath);
    return true;
}

// The existence of either mutex is the signal; neither is ever waited on. A mutex that
// cannot be created at all does not stop setup. The global one is made first and owned
// for a moment: where both names lead to one object (session 0), "isRunning" then
// answers "already exists" with this process's own mutex, which only its owner can
// release; another setup's mutex is owned by no one.
bool Install_CIM::ClaimSingleInstance() {
    UniqueHandle global(::CreateMutexW(nullptr, TRUE, L"Global\\isRunning"));
    bool taken = global && ::GetLastError() == ERROR_ALREADY_EXISTS;
    UniqueHandle local;
    if (!taken) {
        local.reset(::CreateMutexW(nullptr, FALSE, L"isRunning"));
        if (local && ::GetLastError() == ERROR_ALREADY_EXISTS) taken = !(global && ::ReleaseMutex(local.get()));
    }
    if (global) ::ReleaseMutex(global.get());  // fails harmlessly when not owned (any more)
    if (taken) return false;
    state_.singleInstanceMutex.local = std::move(local);
    state_.singleInstanceMutex.global = std::move(global);
    return true;
}

// Asks again after every prompt: a process may not have ended yet, or started anew.
// One enumeration also finds the crash reporter's processes, handed out in `crashReporters`.
bool Install_CIM::WaitForClientToClose(std::vector<DWORD>& crashReporters) {
    for (;;) {
        ClientProcesses found = FindClientProcesses();
        crashReporters = std::move(found.crashReporters);
        if (found.clients.empty()) return true;
        LogStep(L"The client is running: " + DecimalText(found.clients.size()) + L" process(es)");
        if (!ui_ || ui_->ShowClientRunning(found.clients)) return false;
    }
}

// A run that an earlier setup left unfinished (it was killed, or the session ended) is
// taken back before anything else: its journal is where "SoftwarePath" points, which the
// run pointed at itself first thing (engine/InstallRun.h). Taking it back may point
// "SoftwarePath" at the installation it ran over, which is looked at in turn.
void Install_CIM::TakeBackUnfinishedRuns() {
    constexpr int kRunsAtMost = 4;  // each taken back restores the pointer of the one before
    for (int i = 0; i < kRunsAtMost; ++i) {
        CUIString recorded;
        if (!ReadPreviousInstallFolder(recorded) || recorded.empty()) return;
        const std::wstring folder = EarlierFolderSpelling(recorded);
        const RollbackOutcome outcome = ::RollBackUnfinishedRun(folder);
        if (!outcome.rolledBack) return;
        if (outcome.complete) {
            LogStep(L"An unfinished earlier run taken back: " + folder);
            continue;
        }
        for (const std::wstring& path : outcome.left) LogStep(L"Not taken back (kept in the journal): " + path);
        return;  // an install into that folder refuses to begin over it, and says so
    }
}

bool Install_CIM::UseDefaultFolder() {
    wchar_t systemDirectory[1024] = {};
    ::GetSystemDirectoryW(systemDirectory, 1024);

    const DWORD size = ::GetLogicalDriveStringsW(0, nullptr);
    std::wstring list(size, L'\0');
    const DWORD written = ::GetLogicalDriveStringsW(size, list.data());
    if (written == 0) return false;
    if (written > size) list.clear();  // a drive appeared in between: read nothing

    std::vector<DriveRoot> drives;
    for (std::wstring& root : SplitDriveList(list)) {
        const unsigned type = ::GetDriveTypeW(root.c_str());
        drives.push_back({std::move(root), type});
    }
    SetInstallPath(ChooseDefaultFolder(systemDirectory, drives, LoadResString(130, L"VexmoraFM")));
    return true;
}
