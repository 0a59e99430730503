#include "app/InstallManager.h"

#include <shlwapi.h>

#include "app/EarlierInstall.h"
#include "engine/FolderChain.h"
#include "engine/Processes.h"
#include "engine/RegistryRead.h"
#include "engine/SetupLog.h"
#include "engine/ResStrings.h"

namespace {
Install_CIM* g_manager = nullptr;

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

// The uninstaller comes from the recorded folder, not the chosen one: an installation
// recorded elsewhere is removed all the same.
bool Install_CIM::BeforeInstall() {
    CUIString previous;
    if (ReadPreviousInstallFolder(previous) && !previous.empty()) {
        const std::wstring earlierFolder = EarlierFolderSpelling(previous);
        const std::vector<std::wstring> earlier = FoldersOfEarlierJournal(earlierFolder);
        LogStep(L"Earlier installation: " + earlierFolder);
        // An uninstaller in the install folder that others could change before it was
        // taken over is what they left there: never started, whatever it looks like now.
        const bool foundUntrusted =
            state_.folderTakenFromOthers && ::lstrcmpiW(earlierFolder.c_str(), state_.installPath.c_str()) == 0;
        const EarlierUninstaller earlierRun =
            foundUntrusted ? EarlierUninstaller::Refused : RunPreviousUninstaller(earlierFolder);
        LogStep(std::wstring(L"Earlier uninstaller: ") + EarlierUninstallerText(earlierRun));
        const bool kept = earlierRun == EarlierUninstaller::Refused && !UndoEarlierInstallation(earlierFolder);
        state_.earlierRemoved = earlierRun == EarlierUninstaller::Ran || (earlierRun == EarlierUninstaller::Refused && !kept);
        CarryFoldersOver(earlier);
        // An installation kept as it is keeps its folders and its uninstaller's note too.
        if (!kept) RemoveEarlierFolderChain(earlierFolder, earlier, state_.installPath);
    } else {
        LogStep(L"Earlier installation: none");
    }
    return true;
}

// The earlier installation's uninstaller, run by the setup, leaves the install folder and
// the folders above it that its install made, since the new install is about to unpack
// there. Those on the new install's path are carried into the new journal, together with
// the levels "start" made, outermost first, so that the last uninstaller removes them.
void Install_CIM::CarryFoldersOver(const std::vector<std::wstring>& earlier) {
    auto listed = [](const std::vector<std::wstring>& list, const std::wstring& folder) {
        for (const std::wstring& item : list)
            if (::lstrcmpiW(item.c_str(), folder.c_str()) == 0) return true;
        return false;
    };
    const std::vector<std::wstring> path = FolderChainLevels(state_.installPath);
    std::vector<std::wstring> carried;
    for (const std::wstring& level : state_.foldersBeforeJournal)
        if (!listed(path, level)) carried.push_back(level);
    for (const std::wstring& level : path)
        if ((listed(state_.foldersBeforeJournal, level) || listed(earlier, level)) &&
            ::PathFileExistsW(level.c_str()))
            carried.push_back(level);
    state_.foldersBeforeJournal = std::move(carried);
}
