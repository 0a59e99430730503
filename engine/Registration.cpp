#include "engine/Registration.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "engine/InstallEvents.h"
#include "engine/RegistryWrite.h"
#include "engine/ResStrings.h"
#include "base/pure/CommandLine.h"
#include "engine/ShellFolders.h"
#include "engine/SystemInfo.h"
#include "engine/RegistryNames.h"

namespace {

// Fixed, not string 129: the installed-programs list keeps this name even when the
// start-menu names fall back to their default.
constexpr wchar_t kProductName[] = L"VexmoraZevlo邮箱";
constexpr wchar_t kPublisher[] = L"Vexmora";
constexpr wchar_t kWebAddress[] = L"https://www.vexmora.com/zevlo";

constexpr UINT kMenuNameId = 129;
constexpr UINT kUninstallPrefixId = 141;

// Only TRUE counts as present; any other result of the shell's helper means absent.
bool FileExists(const std::wstring& path) {
    return ::PathFileExistsW(path.c_str()) == TRUE;
}

void CreateShortcuts(InstallState& state, const std::wstring& menuName, const std::wstring& startProgram,
                     const std::wstring& uninstaller) {
    InstallJournal* journal = state.openJournal();
    CreateStartMenuFolder(menuName, true, journal);
    const std::wstring shortcutName = LoadResString(state.instance, kMenuNameId, L"VexmoraFM");
    if (FileExists(startProgram)) {
        CreateStartMenuShortcut(menuName, true, shortcutName, startProgram, journal);
        if (state.options.desktopShortcut) CreateDesktopShortcut(shortcutName, startProgram, journal);
    }
    if (FileExists(uninstaller)) {
        const std::wstring uninstallName =
            LoadResString(state.instance, kUninstallPrefixId, L"Uninstall ") + menuName;
        CreateStartMenuShortcut(menuName, true, uninstallName, uninstaller, journal);
    }
}

void WriteRunEntries(InstallState& state, const std::wstring& startProgram) {
    if (state.options.autoStart && FileExists(startProgram)) {
        SetRegString(HKEY_CURRENT_USER, kRunKey, kRunValue, QuoteCommandPath(startProgram), state.openJournal());
    } else {
        DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
    }
    // Log-on start is the current user's choice: a machine-wide entry is never kept.
    DeleteRegValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
}

void WriteUninstallEntry(InstallState& state, const std::wstring& startProgram, const std::wstring& uninstaller) {
    std::wstring version;
    GetSetupVersion(version);  // stays empty when the version block cannot be read
    const wchar_t* key = GetSystemBitness() == "64" ? kUninstallKey64 : kUninstallKey32;
    InstallJournal* journal = state.openJournal();
    SetRegString(HKEY_LOCAL_MACHINE, key, L"UninstallString", QuoteCommandPath(uninstaller), journal);
    SetRegString(HKEY_LOCAL_MACHINE, key, L"Publisher", kPublisher, journal);
    SetRegString(HKEY_LOCAL_MACHINE, key, L"DisplayName", kProductName, journal);
    SetRegString(HKEY_LOCAL_MACHINE, key, L"DisplayVersion", version, journal);
    SetRegString(HKEY_LOCAL_MACHINE, key, L"DisplayIcon", startProgram, journal);
    SetRegString(HKEY_LOCAL_MACHINE, key, L"URLInfoAbout", kWebAddress, journal);
}

}  // namespace

bool AfterInstall(InstallState& state) {
    if (!state.extractionCompleted) return false;

    const std::wstring folder = state.installPath;
    const std::wstring startProgram = folder + L"\\Start.exe";
    const std::wstring uninstaller = folder + L"\\uninstall.exe";
    const std::wstring menuName = LoadResString(state.instance, kMenuNameId, L"VexmoraFM");
    CreateShortcuts(state, menuName, startProgram, uninstaller);

    RecordRegKey(HKEY_LOCAL_MACHINE, kAppPathsKey, state.openJournal());
    // Stored bare: the next setup run reads it back as a folder, not as a command.
    SetRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, kSoftwarePathValue, folder, state.openJournal());
    WriteRunEntries(state, startProgram);
    WriteUninstallEntry(state, startProgram, uninstaller);

    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    // Sent, not posted: the window's reaction runs before registration returns.
    if (state.window) ::SendMessageW(state.window, WM_INSTALL_EVENT, INSTALL_EVENT_RESET, 0);
    // The installation is complete from here on, whatever ends this process next (a kill,
    // a log-off, a crash on the finish page): its uninstaller must find the whole journal
    // encrypted before another setup may start.
    if (state.journal) state.journal->finish();
    state.singleInstanceMutex.reset();  // a new setup program may now run
    return true;
}
