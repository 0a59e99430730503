#include "app/InstallManager.h"

#include <shlwapi.h>

#include "app/EarlierInstall.h"
#include "app/SetupUi.h"
#include "engine/FolderChain.h"
#include "engine/InstallRun.h"
#include "engine/Processes.h"
#include "engine/RegistryRead.h"
#include "engine/SetupLog.h"
#include "engine/ResStrings.h"
#include "journal/JournalFiles.h"

namespace {
Install_CIM* g_manager = nullptr;

constexpr UINT kStringSetupCaption = 128;
constexpr UINT kStringEarlierNotRestorable = 166;

const wchar_t* EarlierUninstallerText(EarlierUninstaller run) {
    switch (run) {
        case EarlierUninstaller::None: return L"none in the folder";
        case EarlierUninstaller::Ran: return L"ran and ended";
        case EarlierUninstaller::NotStarted: return L"could not be started";
        case EarlierUninstaller::Refused: return L"not run: others than administrators could have changed it";
    }
    return L"";
}
}

Install_CIM::Install_CIM(HINSTANCE instance) : state_(instance) { g_manager = this; }

// The state goes with the manager; its journal owner closes (and so encrypts) the
// journal last, after the last window is gone.
Install_CIM::~Install_CIM() {
    if (g_manager == this) g_manager = nullptr;
}

Install_CIM* GetInstallManager() noexcept { return g_manager; }

// The window makes the install folder before the run's journal is open (the journal
// lives in that folder); the levels it creates are journalled first by the run.
bool Install_CIM::CreateFolderChain(const CUIString& path) {
    std::vector<std::wstring> missing;
    for (const std::wstring& level : FolderChainLevels(path))
        if (!::PathFileExistsW(level.c_str())) missing.push_back(level);
    if (!::CreateFolderChain(path, nullptr)) return false;  // it took back what it made
    for (const std::wstring& level : missing)
        if (::PathFileExistsW(level.c_str())) state_.foldersBeforeJournal.push_back(level);
    return true;
}

bool Install_CIM::ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* valueName, CUIString& out) {
    return ::ReadRegistryString(root, key, valueName, out);
}

CUIString Install_CIM::LoadResString(UINT id, const wchar_t* fallback) const {
    return ::LoadResString(state_.instance, id, fallback);
}

int Install_CIM::ShowResMessageBox(HWND owner, UINT textId, UINT captionId, UINT style) const {
    const CUIString caption = LoadResString(captionId, L"");
    const CUIString text = LoadResString(textId, L"");
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

bool Install_CIM::ReadPreviousInstallFolder(CUIString& folder) {
    return ReadRegistryString(HKEY_LOCAL_MACHINE, kAppPathsKey, kSoftwarePathValue, folder);
}

// The run begins before anything of an earlier installation is touched (engine/
// InstallRun.h): from then on everything it changes can be taken back, the earlier
// installation included, which the run replaces file by file and the commit removes what
// is left of (engine/RunCommit.h). Only an earlier installation whose journal cannot be
// read is still removed by its own uninstaller, before the run begins (the uninstaller
// would take back a run it found begun): nothing else knows what is its, and a failed run
// then cannot bring it back, which the user and the log are told.
bool Install_CIM::BeforeInstall() {
    CUIString recorded;
    if (ReadPreviousInstallFolder(recorded) && !recorded.empty())
        RemoveEarlierWithoutJournal(EarlierFolderSpelling(recorded));
    else
        LogStep(L"Earlier installation: none");

    const RunStart start = runBegun_ = BeginRun(state_);
    if (start != RunStart::Begun) {
        RemoveFoldersMadeForTheRun();
        const CUIString text = RunNotBegunText(state_, start);
        LogStep(text);
        SetStatusText(text);
        if (ui_) ui_->ShowWarning(text, LoadResString(kStringSetupCaption, L"VexmoraFM"));
        return false;
    }
    return true;
}

// A journal that is there (even one holding only a run that did not finish) is the run's
// to replace and to take back; one that is missing or held by another program is not.
void Install_CIM::RemoveEarlierWithoutJournal(const std::wstring& earlierFolder) {
    LogStep(L"Earlier installation: " + earlierFolder);
    const StoredJournal earlierJournal = ReadStoredJournal(earlierFolder + L"\\" + kPlainJournalName);
    if (earlierJournal.found() && !earlierJournal.cipherHeld) return;

    // An uninstaller in the install folder that others could change before it was taken
    // over is what they left there: never started, whatever it looks like now.
    const bool foundUntrusted = state_.folderTakenFromOthers && ::lstrcmpiW(earlierFolder.c_str(), state_.installPath.c_str()) == 0;
    const EarlierUninstaller earlierRun =
        foundUntrusted ? EarlierUninstaller::Refused : RunPreviousUninstaller(earlierFolder);
    LogStep(std::wstring(L"Earlier installation's journal not readable; its uninstaller: ") +
            EarlierUninstallerText(earlierRun));
    if (earlierRun == EarlierUninstaller::Refused) {
        WarnEarlierKept(earlierFolder);
        return;
    }
    if (earlierRun != EarlierUninstaller::Ran) return;
    state_.earlierRemoved = true;
    RemoveEarlierFolderChain(earlierFolder, {}, state_.installPath);
    const CUIString text = LoadResString(kStringEarlierNotRestorable,
                                         L"The earlier version's install record cannot be read: its uninstaller was "
                                         L"run instead, and should this install fail, the earlier version cannot be "
                                         L"brought back.");
    LogStep(text);
    if (ui_) ui_->ShowWarning(text, LoadResString(kStringSetupCaption, L"VexmoraFM"));
}

// The folders the start step made for a run that then could not begin: innermost first,
// each when empty.
void Install_CIM::RemoveFoldersMadeForTheRun() {
    for (auto level = state_.foldersBeforeJournal.rbegin(); level != state_.foldersBeforeJournal.rend(); ++level)
        ::RemoveDirectoryW(level->c_str());
    state_.foldersBeforeJournal.clear();
}
