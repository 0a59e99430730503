#include "windows/FrameWindow.h"

#include <memory>
#include <tuple>
#include "app/InstallManager.h"
#include "base/pure/AsciiCase.h"
#include "base/pure/ProductNames.h"
#include "engine/ClientLaunch.h"
#include "engine/InstallEvents.h"
#include "engine/SetupLog.h"
#include "engine/InstallFolder.h"
#include "engine/PayloadRoom.h"
#include "engine/Processes.h"
#include "engine/ResStrings.h"
#include "windows/PromptRunner.h"
#include "windows/PromptWindows.h"
#include "windows/TaskbarButton.h"
#include "ui/win/ImagePrefetch.h"

namespace {

constexpr UINT kMainLayout = 221;
constexpr UINT_PTR kBannerTimer = 1;
constexpr UINT kBannerPeriodMs = 2500;

// Starts at 1 with the layout showing 273, so the banner runs 274, 250, 273, ...
int g_bannerCounter = 1;

constexpr UINT kStringDriveRoot = 143;

// A whole drive is no install folder: its uninstaller would own, and empty, the drive.
void ShowDriveRootRefusal(HWND owner, const Install_CIM& manager, const CUIString& typed) {
    const CUIString root = std::wstring(1, UpperAscii(typed[0])) + L":\\";
    const CUIString text = FormatText(manager.Instance(), kStringDriveRoot,
                                      L"Choose a folder on {folder}, not the drive itself.", L"{folder}", root);
    const CUIString caption = manager.LoadResString(134, L"");
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}

}  // namespace

CFrameWindowWnd::CFrameWindowWnd() : CSkinWindow(kMainLayout) {}

void CFrameWindowWnd::PrefetchImages() { UIPrefetchLayoutImages(kMainLayout, L"XML"); }

HWND CFrameWindowWnd::Open() { return CSkinWindow::Open(nullptr, SkinWindowLife::DeletedWithWindow); }

// An elevated window hears from the shell that its task-bar button exists only when it
// lets that message through.
void CFrameWindowWnd::BeforeLayout() { AllowTaskbarButtonMessage(hWnd_); }

std::optional<LRESULT> CFrameWindowWnd::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == TaskbarButtonCreatedMessage() && uMsg != 0) {
        OnTaskbarButtonCreated();
        return 0;
    }
    switch (uMsg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_NCACTIVATE:
        if (!::IsIconic(hWnd_)) return wParam == 0 ? TRUE : FALSE;
        break;
    case WM_TIMER:
        StepBanner();
        break;
    case WM_INSTALL_EVENT:
        OnInstallEvent(wParam, lParam);
        return 0;
    case WM_QUERYENDSESSION:
        // The session may end at once after this answer, even before WM_ENDSESSION is
        // handled: the journal is finished already here (a finished journal keeps taking
        // records, and the next finish merges them in), and the log-off is not held up.
        // Rolling back is left to the next run or the uninstaller: it would not fit in
        // the few seconds the system grants.
        GetInstallManager()->FinishJournal();
        return TRUE;
    case WM_ENDSESSION:
        // A log-off or shutdown ends this process without the manager's destruction, which
        // would otherwise finish the journal: whatever it holds is finished now.
        if (wParam) GetInstallManager()->FinishJournal();
        return 0;
    case WM_CLOSE:
        // Alt+F4 or the task bar during a run would destroy the window under the running
        // extraction (its pump dispatches this); the close waits for the end of the run.
        if (installing_) return 0;
        break;
    default:
        break;
    }
    return std::nullopt;
}

void CFrameWindowWnd::Notify(TNotifyUI& msg) {
    if (IsNotify(msg, L"windowinit")) {
        OnWindowInit();
    } else if (IsNotify(msg, L"click")) {
        OnClick(msg);
    } else if (IsNotify(msg, L"textchanged") && SenderIs(msg, L"path")) {
        ShowRoom();
    }
}

void CFrameWindowWnd::OnClick(TNotifyUI& msg) {
    if (SenderIs(msg, L"closebtn")) {
        RunStopPrompt();
    } else if (SenderIs(msg, L"browser")) {
        ChooseFolder();
    } else if (SenderIs(msg, L"zevloterms")) {
        RunTermsPrompt();
    } else if (SenderIs(msg, L"start")) {
        Start();
    } else if (SenderIs(msg, L"btn_freeinstall")) {
        ShowCustomPage();
    } else if (SenderIs(msg, L"back")) {
        ShowDefaultPage();
    } else if (SenderIs(msg, L"finishinstallbtn")) {
        Finish();
    }
}

void CFrameWindowWnd::OnWindowInit() {
    const CUIString folder = GetInstallManager()->GetInstallPath();
    SetControlText(pm_, L"path", folder);
    SetControlText(pm_, L"defaultpath", folder);
    installAction_ = GetControlText(pm_, L"install_action");
    ShowRoom();
    // The layout ticks both; /NOAUTOSTART and /NODESKTOPICON clear them.
    const InstallOptions& options = GetInstallManager()->Options();
    if (!options.autoStart) SelectControl(pm_, L"autostart", false);
    if (!options.desktopShortcut) SelectControl(pm_, L"createDesktopshortcut", false);
    ::SetTimer(hWnd_, kBannerTimer, kBannerPeriodMs, nullptr);  // runs as long as the window
}

void CFrameWindowWnd::StepBanner() {
    ++g_bannerCounter;
    switch (g_bannerCounter % 3) {
    case 1: SetControlBkImage(pm_, L"background", L"res='273' restype='png'"); break;
    case 2: SetControlBkImage(pm_, L"background", L"res='274' restype='png'"); break;
    case 0: SetControlBkImage(pm_, L"background", L"res='250' restype='png'"); break;
    default: break;
    }
}

void CFrameWindowWnd::ShowCustomPage() {
    ShowControl(pm_, L"defaultinstall", false);
    ShowControl(pm_, L"freeinstall", true);
    ShowControl(pm_, L"vl_defaultinstall", false);
    ShowControl(pm_, L"vl_freeinstall", true);
}

void CFrameWindowWnd::ShowDefaultPage() {
    CControlUI* path = pm_.FindControl(L"path");
    CControlUI* shown = pm_.FindControl(L"defaultpath");
    if (path && shown) shown->SetText(path->GetText());
    ShowControl(pm_, L"defaultinstall", true);
    ShowControl(pm_, L"freeinstall", false);
    ShowControl(pm_, L"vl_defaultinstall", true);
    ShowControl(pm_, L"vl_freeinstall", false);
}

// Only "path" changes; "defaultpath" follows when the user goes back.
void CFrameWindowWnd::ChooseFolder() {
    const CUIString chosen = GetInstallManager()->BrowseForFolder(hWnd_, GetControlText(pm_, L"path"));
    if (chosen.empty()) return;
    SetControlText(pm_, L"path", chosen);
    ShowRoom();
}

void CFrameWindowWnd::Start() {
    Install_CIM* manager = GetInstallManager();
    if (!IsControlSelected(pm_, L"agressinstall", false)) return;  // terms not accepted: silently nothing
    CControlUI* path = pm_.FindControl(L"path");
    if (path == nullptr) return;
    const CUIString typed = path->GetText();
    manager->SetInstallPath(typed);
    const FolderSpelling spelling = NormaliseInstallFolder(typed);
    if (spelling.refusal == FolderRefusal::DriveRoot) {
        ShowDriveRootRefusal(hWnd_, *manager, typed);
        return;
    }
    // From here on the folder has one spelling: shown, journalled, registered, recorded.
    const CUIString folder = spelling.folder;
    if (spelling.accepted() && (!HasRoomFor(folder) || !ConfirmEarlierVersion())) return;  // nothing made yet
    // A folder too deep for the payload's longest path counts as one that cannot be made:
    // the files past MAX_PATH would be skipped without a word.
    if (!spelling.accepted() || !PayloadFitsUnder(folder, manager->Instance()) ||
        !manager->CreateFolderChain(folder)) {
        manager->ShowResMessageBox(hWnd_, 135, 134, MB_ICONERROR);
        return;
    }
    if (!TakeOverFolder(folder)) return;  // said why; nothing installed
    manager->SetInstallPath(folder);
    SetControlText(pm_, L"path", folder);
    SetControlText(pm_, L"defaultpath", folder);
    // A close that came while the run begins (an earlier uninstaller is waited for, a
    // warning's own message loop dispatches what was queued meanwhile) waits as well.
    installing_ = true;
    if (!manager->BeforeInstall()) {
        installing_ = false;
        return;
    }

    ShowControl(pm_, L"beforeinstall", false);
    ShowControl(pm_, L"progress_container", true);
    SetProgressValue(pm_, L"progress", 0);
    EnableControl(pm_, L"browser", false);
    EnableControl(pm_, L"start", false);
    ShowControl(pm_, L"closebtn", false);
    taskbar_.Started();

    InstallOptions& options = manager->Options();
    options.autoStart = IsControlSelected(pm_, L"autostart", options.autoStart);
    options.desktopShortcut = IsControlSelected(pm_, L"createDesktopshortcut", options.desktopShortcut);
    options.startMenu = IsControlSelected(pm_, L"createStartupMenu", options.startMenu);

    manager->StartInstall(hWnd_);  // returns when extraction has ended; its done event is queued
}

void CFrameWindowWnd::Finish() {
    const std::wstring client = GetInstallManager()->GetInstallPath() + L"\\" + kStartProgramName;
    // Quoted: the folder may hold blanks. Starting the client at the end is a courtesy:
    // the install is complete whether or not it starts.
    const ClientLaunch launch = LaunchAsSignedInUser(QuoteCommandPath(client));
    if (launch.started)
        LogStep(L"Started " + client);
    else
        LogStep(L"Not started: " + client + L": " + launch.whyNot);
    Close(1);
}

// A prompt that cannot be shown leaves the main window as it was.
void CFrameWindowWnd::RunStopPrompt() {
    std::ignore = RunPrompt(std::make_unique<CStopInstallfrm>(hWnd_), hWnd_);
}

void CFrameWindowWnd::RunTermsPrompt() {
    std::ignore = RunPrompt(std::make_unique<CTermsfrm>(), hWnd_);
}
