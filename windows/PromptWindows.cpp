#include "windows/PromptWindows.h"

#include "engine/Processes.h"

namespace {

constexpr UINT kAlreadyRunningLayout = 228;
constexpr UINT kClientRunningLayout = 229;
constexpr UINT kConfirmExitLayout = 230;
constexpr UINT kTermsLayout = 232;

bool g_clientPromptCancelled = false;

bool IsClickOn(const TNotifyUI& msg, std::wstring_view name) {
    return IsNotify(msg, L"click") && SenderIs(msg, name);
}

}  // namespace

bool ClientPromptCancelled() { return g_clientPromptCancelled; }

// --- CInstallWarningfrm -------------------------------------------------------------
CInstallWarningfrm::CInstallWarningfrm() : CSkinWindow(kAlreadyRunningLayout) {}

void CInstallWarningfrm::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"okbtn")) Close(1);
}

// --- CInstallWarningForZevloRun -------------------------------------------------------
CInstallWarningForZevloRun::CInstallWarningForZevloRun(std::vector<DWORD> processIds)
    : CSkinWindow(kClientRunningLayout), processIds_(std::move(processIds)) {}

void CInstallWarningForZevloRun::BeforeLayout() {
    // The shadow is set up before the layout so that it follows the window from its
    // first size; it is looked up by file name under the resource folder.
    CShadowUI& shadow = pm_.GetShadow();
    shadow.SetImage(L"res\\shadow.png");
    shadow.SetShow(true);
    shadow.SetCorner(23, 22, 25, 26);
    g_clientPromptCancelled = false;
}

void CInstallWarningForZevloRun::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"cancelbtn")) {
        g_clientPromptCancelled = true;
        Close(1);
    } else if (IsClickOn(msg, L"installbtn")) {
        ShowWindow(false);
        TerminateProcesses(processIds_);  // not waited for: the run flow searches again
        Close(1);
    }
}

// --- CStopInstallfrm -------------------------------------------------------------------
CStopInstallfrm::CStopInstallfrm(HWND mainWindow) : CSkinWindow(kConfirmExitLayout), mainWindow_(mainWindow) {}

void CStopInstallfrm::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"installbtn")) {
        Close(1);
    } else if (IsClickOn(msg, L"cancelbtn")) {
        // Ends this prompt's loop; the main loop then closes the main window (which takes
        // this owned prompt with it) and ends.
        ::PostMessageW(hWnd_, WM_QUIT, 0, 0);
        ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
        ::PostMessageW(mainWindow_, WM_QUIT, 0, 0);
    }
}

// --- CTermsfrm -------------------------------------------------------------------------
CTermsfrm::CTermsfrm() : CSkinWindow(kTermsLayout) {}

void CTermsfrm::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"btn_ok")) Close(1);
}
