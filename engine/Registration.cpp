#include "engine/Registration.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "engine/DiskRoom.h"
#include "engine/InstallEvents.h"
#include "engine/RegistryWrite.h"
#include "engine/ResStrings.h"
#include "base/pure/CommandLine.h"
#include "engine/SetupLog.h"
#include "engine/ShellFolders.h"
#include "engine/SystemInfo.h"
#include "engine/RegistryNames.h"
#include "engine/UninstallerSwitches.h"
#include "base/pure/DecimalText.h"

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

const wchar_t* RootName(HKEY root) { return root == HKEY_CURRENT_USER ? L"HKCU" : L"HKLM"; }

// Every value registration writes goes through here, and into the log with its outcome.
void SetValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& data,
              InstallJournal* journal) {
    const bool written = SetRegString(root, key, name, data, journal);
    const std::wstring where = std::wstring(RootName(root)) + L"\\" + key + L"\\" + name;
    if (written) {
        LogStep(L"Registry " + where + L" = " + data);
    } else {
        LogFailure(L"Registry value not written:", where, ::GetLastError());
    }
}

void SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD data, InstallJournal* journal) {
    const bool written = SetRegDword(root, key, name, data, journal);
    const std::wstring where = std::wstring(RootName(root)) + L"\\" + key + L"\\" + name;
    if (written) {
        LogStep(L"Registry " + where + L" = " + DecimalText(data));
    } else {
        LogFailure(L"Registry value not written:", where, ::GetLastError());
    }
}

void LogShortcut(const wchar_t* where, const std::wstring& name, bool made) {
    LogStep(std::wstring(made ? L"Shortcut made, " : L"Shortcut not made, ") + where + L": " + name);
}

void CreateShortcuts(InstallState& state, const std::wstring& menuName, const std::wstring& startProgram,
                     const std::wstring& uninstaller) {
    InstallJournal* journal = state.openJournal();
    CreateStartMenuFolder(menuName, true, journal);
    const std::wstring shortcutName = LoadResString(state.instance, kMenuNameId, L"VexmoraFM");
    if (FileExists(startProgram)) {
        LogShortcut(L"start menu", shortcutName,
                    CreateStartMenuShortcut(menuName, true, shortcutName, startProgram, journal));
        if (state.options.desktopShortcut)
            LogShortcut(L"desktop", shortcutName, CreateDesktopShortcut(shortcutName, startProgram, journal));
    }
    if (FileExists(uninstaller)) {
        const std::wstring uninstallName =
            LoadResString(state.instance, kUninstallPrefixId, L"Uninstall ") + menuName;
        LogShortcut(L"start menu", uninstallName,
                    CreateStartMenuShortcut(menuName, true, uninstallName, uninstaller, journal));
    }
}

void WriteRunEntries(InstallState& state, const std::wstring& startProgram) {
    if (state.options.autoStart && FileExists(startProgram)) {
        SetValue(HKEY_CURRENT_USER, kRunKey, kRunValue, QuoteCommandPath(startProgram), state.openJournal());
    } else {
        DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
    }
    // Log-on start is the current user's choice: a machine-wide entry is never kept.
    DeleteRegValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
}

// Today's local date as the list of installed programs shows it: yyyymmdd.
std::wstring InstallDateText() {
    SYSTEMTIME today = {};
    ::GetLocalTime(&today);
    return ZeroPaddedDecimal(today.wYear, 4) + ZeroPaddedDecimal(today.wMonth, 2) + ZeroPaddedDecimal(today.wDay, 2);
}

// What Windows' list of installed programs shows and offers beyond the six values: the
// folder, the size, the date, no modify or repair buttons (the setup has neither), and the
// command that removes everything without a window (deployment tools run it).
void WriteUninstallDetails(InstallState& state, const wchar_t* key, const std::wstring& uninstaller) {
    InstallJournal* journal = state.openJournal();
    SetValue(HKEY_LOCAL_MACHINE, key, L"InstallLocation", state.installPath, journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"EstimatedSize", EstimatedKilobytes(state.payloadUnpackedBytes), journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"InstallDate", InstallDateText(), journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"NoModify", 1, journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"NoRepair", 1, journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"QuietUninstallString",
             QuoteCommandPath(uninstaller) + L" " + kUninstallQuietArgument, journal);
}

void WriteUninstallEntry(InstallState& state, const std::wstring& startProgram, const std::wstring& uninstaller) {
    std::wstring version;
    GetSetupVersion(version);  // stays empty when the version block cannot be read
    const wchar_t* key = UninstallKeyPath();
    InstallJournal* journal = state.openJournal();
    SetValue(HKEY_LOCAL_MACHINE, key, L"UninstallString", QuoteCommandPath(uninstaller), journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"Publisher", kPublisher, journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"DisplayName", kProductName, journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"DisplayVersion", version, journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"DisplayIcon", startProgram, journal);
    SetValue(HKEY_LOCAL_MACHINE, key, L"URLInfoAbout", kWebAddress, journal);
    WriteUninstallDetails(state, key, uninstaller);
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
    SetValue(HKEY_LOCAL_MACHINE, kAppPathsKey, kSoftwarePathValue, folder, state.openJournal());
    WriteRunEntries(state, startProgram);
    WriteUninstallEntry(state, startProgram, uninstaller);

    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    // Sent, not posted: the window's reaction runs before registration returns.
    if (state.window) ::SendMessageW(state.window, WM_INSTALL_EVENT, INSTALL_EVENT_RESET, 0);
    // The installation is complete from here on, whatever ends this process next (a kill,
    // a log-off, a crash on the finish page): its uninstaller must find the whole journal
    // encrypted before another setup may start.
    if (state.journal) {
        state.journal->finish();
        const std::wstring encrypted = state.journal->path() + L"E";
        LogStep((FileExists(encrypted) ? L"Journal finished: " : L"Journal not finished: ") + encrypted);
    }
    state.singleInstanceMutex.reset();  // a new setup program may now run
    return true;
}
