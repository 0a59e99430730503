#include "engine/Registration.h"

#include <shlobj.h>
#include <functional>
#include <shlwapi.h>

#include "engine/DiskRoom.h"
#include "engine/InstallEvents.h"
#include "engine/RegistryWrite.h"
#include "engine/ResStrings.h"
#include "engine/RunBackup.h"
#include "engine/RunCommit.h"
#include "base/pure/CommandLine.h"
#include "engine/SetupLog.h"
#include "engine/ShellFolders.h"
#include "engine/SystemInfo.h"
#include "base/pure/ProductNames.h"
#include "base/pure/DecimalText.h"

namespace {

constexpr UINT kMenuNameId = 129;
constexpr UINT kUninstallPrefixId = 141;
constexpr UINT kStringFilesSkipped = 165;
constexpr UINT kStringRegistrationFailed = 167;

// Only TRUE counts as present; any other result of the shell's helper means absent.
bool FileExists(const std::wstring& path) {
    return ::PathFileExistsW(path.c_str()) == TRUE;
}

const wchar_t* RootName(HKEY root) { return root == HKEY_CURRENT_USER ? L"HKCU" : L"HKLM"; }

// A value or shortcut not written: logged, and the run is not the whole installation.
void Failed(InstallState& state, const std::wstring& what) {
    LogFailure(L"Not written:", what, ::GetLastError());
    state.registrationFailed = true;
}

// Every value registration writes goes through here, and into the log with its outcome.
void SetValue(InstallState& state, HKEY root, const std::wstring& key, const std::wstring& name,
              const std::wstring& data) {
    const std::wstring where = std::wstring(RootName(root)) + L"\\" + key + L"\\" + name;
    if (SetRegString(root, key, name, data, state.openJournal())) {
        LogStep(L"Registry " + where + L" = " + data);
    } else {
        Failed(state, where);
    }
}

void SetValue(InstallState& state, HKEY root, const std::wstring& key, const std::wstring& name, DWORD data) {
    const std::wstring where = std::wstring(RootName(root)) + L"\\" + key + L"\\" + name;
    if (SetRegDword(root, key, name, data, state.openJournal())) {
        LogStep(L"Registry " + where + L" = " + DecimalText(data));
    } else {
        Failed(state, where);
    }
}

// A shortcut that is there already (an earlier installation's) goes into the run's
// backup before the new one is written: taking the run back brings it home.
void MakeShortcut(InstallState& state, const wchar_t* where, const std::wstring& link, const std::wstring& name,
                  const std::function<bool()>& create) {
    if (link.empty() || (FileExists(link) && !MoveAside(state, link)) || !create())
        return Failed(state, std::wstring(L"shortcut, ") + where + L": " + name);
    LogStep(std::wstring(L"Shortcut made, ") + where + L": " + name);
}

void CreateShortcuts(InstallState& state, const std::wstring& menuName, const std::wstring& startProgram,
                     const std::wstring& uninstaller) {
    InstallJournal* journal = state.openJournal();
    if (!CreateStartMenuFolder(menuName, true, journal)) Failed(state, L"start menu folder " + menuName);
    const std::wstring shortcutName = LoadResString(state.instance, kMenuNameId, kMenuFallbackName);
    if (FileExists(startProgram)) {
        MakeShortcut(state, L"start menu", StartMenuShortcutPath(menuName, true, shortcutName), shortcutName,
                     [&] { return CreateStartMenuShortcut(menuName, true, shortcutName, startProgram, journal); });
        if (state.options.desktopShortcut)
            MakeShortcut(state, L"desktop", DesktopShortcutPath(shortcutName), shortcutName,
                         [&] { return CreateDesktopShortcut(shortcutName, startProgram, journal); });
    }
    if (FileExists(uninstaller)) {
        const std::wstring uninstallName =
            LoadResString(state.instance, kUninstallPrefixId, L"Uninstall ") + menuName;
        MakeShortcut(state, L"start menu", StartMenuShortcutPath(menuName, true, uninstallName), uninstallName,
                     [&] { return CreateStartMenuShortcut(menuName, true, uninstallName, uninstaller, journal); });
    }
}

// The machine-wide log-on value, which no installation keeps, goes when the run is
// committed (engine/RunCommit.h): it is no installation's, so taking a run back could not
// bring it back.
void WriteRunEntries(InstallState& state, const std::wstring& startProgram) {
    if (state.options.autoStart && FileExists(startProgram)) {
        SetValue(state, HKEY_CURRENT_USER, kRunKey, kRunValue, QuoteCommandPath(startProgram));
    } else {
        DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue, state.openJournal());
    }
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
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"InstallLocation", state.installPath);
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"EstimatedSize", EstimatedKilobytes(state.payloadUnpackedBytes));
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"InstallDate", InstallDateText());
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"NoModify", 1);
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"NoRepair", 1);
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"QuietUninstallString",
             QuoteCommandPath(uninstaller) + L" " + kUninstallQuietArgument);
}

void WriteUninstallEntry(InstallState& state, const std::wstring& startProgram, const std::wstring& uninstaller) {
    std::wstring version;
    GetSetupVersion(version);  // stays empty when the version block cannot be read
    const wchar_t* key = UninstallKeyPath();
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"UninstallString", QuoteCommandPath(uninstaller));
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"Publisher", kPublisher);
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"DisplayName", kProductName);
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"DisplayVersion", version);
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"DisplayIcon", startProgram);
    SetValue(state, HKEY_LOCAL_MACHINE, key, L"URLInfoAbout", kWebAddress);
    WriteUninstallDetails(state, key, uninstaller);
}

}  // namespace

bool AfterInstall(InstallState& state) {
    if (!state.extractionCompleted) return false;
    if (!state.entriesSkipped.empty()) {
        state.SetStatusText(FormatText(state.instance, kStringFilesSkipped,
                                       L"{file} and perhaps other files could not be written: the install was taken back.",
                                       L"{file}", state.entriesSkipped.front()));
        return false;
    }

    const std::wstring folder = state.installPath;
    const std::wstring startProgram = folder + L"\\" + kStartProgramName;
    const std::wstring uninstaller = folder + L"\\" + kUninstallerName;
    const std::wstring menuName = LoadResString(state.instance, kMenuNameId, kMenuFallbackName);
    CreateShortcuts(state, menuName, startProgram, uninstaller);

    RecordRegKey(HKEY_LOCAL_MACHINE, kAppPathsKey, state.openJournal());
    // Stored bare: the next setup run reads it back as a folder, not as a command.
    SetValue(state, HKEY_LOCAL_MACHINE, kAppPathsKey, kSoftwarePathValue, folder);
    WriteRunEntries(state, startProgram);
    WriteUninstallEntry(state, startProgram, uninstaller);
    // A registration that is not whole is no installation: the run is taken back by the
    // caller, as after a failed extraction.
    const CommitOutcome commit = state.registrationFailed ? CommitOutcome() : CommitRun(state);
    if (!commit.committed) {
        state.SetStatusText(LoadResString(state.instance, kStringRegistrationFailed,
                                          L"Some registry values or shortcuts could not be written: the install "
                                          L"was taken back."));
        return false;
    }
    for (const std::wstring& path : commit.left) LogStep(L"Left after the commit (recorded): " + path);

    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    // Sent, not posted: the window's reaction runs before registration returns.
    if (state.window) ::SendMessageW(state.window, WM_INSTALL_EVENT, INSTALL_EVENT_RESET, 0);
    state.singleInstanceMutex.reset();  // a new setup program may now run
    return true;
}
