#include "windows/PromptWindows.h"

#include "engine/Processes.h"
#include "windows/SkinWindow.h"

namespace {

constexpr UINT kAlreadyRunningLayout = 228;
constexpr UINT kClientRunningLayout = 229;
constexpr UINT kConfirmExitLayout = 230;
constexpr UINT kTermsLayout = 232;

bool g_clientPromptCancelled = false;

// The message table that all four prompts share. True when handled, with `result`.
bool HandlePromptMessage(HWND window, CWindowManager& manager, UINT layoutId, INotifyUI* receiver, UINT uMsg,
                         WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (uMsg) {
    case WM_CREATE:
        PrepareSkinWindow(window, manager);
        LoadSkinLayout(manager, layoutId, receiver);
        return true;
    case WM_DESTROY:
        ::PostQuitMessage(0);  // ends the nested loop that runs the prompt
        return true;
    case WM_NCHITTEST:
        result = SkinHitTest(window, manager, lParam);
        return true;
    default:
        return manager.MessageHandler(uMsg, wParam, lParam, result);
    }
}

bool IsClickOn(const TNotifyUI& msg, std::wstring_view name) {
    return IsNotify(msg, L"click") && SenderIs(msg, name);
}

}  // namespace

bool ClientPromptCancelled() { return g_clientPromptCancelled; }

// --- CInstallWarningfrm -------------------------------------------------------------
const wchar_t* CInstallWarningfrm::GetWindowClassName() const { return kSetupWindowClass; }
const wchar_t* CInstallWarningfrm::GetSuperClassName() const { return nullptr; }
UINT CInstallWarningfrm::GetClassStyle() const { return 0; }
void CInstallWarningfrm::OnFinalMessage(HWND) {}

LRESULT CInstallWarningfrm::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandlePromptMessage(m_hWnd, m_pm, kAlreadyRunningLayout, this, uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CInstallWarningfrm::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"okbtn")) Close(1);
}

// --- CInstallWarningForZevloRun -------------------------------------------------------
const wchar_t* CInstallWarningForZevloRun::GetWindowClassName() const { return kSetupWindowClass; }
const wchar_t* CInstallWarningForZevloRun::GetSuperClassName() const { return nullptr; }
UINT CInstallWarningForZevloRun::GetClassStyle() const { return 0; }
void CInstallWarningForZevloRun::OnFinalMessage(HWND) {}

LRESULT CInstallWarningForZevloRun::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_CREATE) {
        PrepareSkinWindow(m_hWnd, m_pm);
        // The shadow is set up before the layout so that it follows the window from its
        // first size; it is looked up by file name under the resource folder.
        CShadowUI& shadow = m_pm.GetShadow();
        shadow.SetImage(L"res\\shadow.png");
        shadow.SetShow(true);
        shadow.SetCorner(23, 22, 25, 26);
        LoadSkinLayout(m_pm, kClientRunningLayout, this);
        g_clientPromptCancelled = false;
        return 0;
    }
    LRESULT result = 0;
    if (HandlePromptMessage(m_hWnd, m_pm, kClientRunningLayout, this, uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CInstallWarningForZevloRun::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"cancelbtn")) {
        g_clientPromptCancelled = true;
        Close(1);
    } else if (IsClickOn(msg, L"installbtn")) {
        ShowWindow(false);
        TerminateProcesses(m_processIds);  // not waited for: the run flow searches again
        Close(1);
    }
}

// --- CStopInstallfrm -------------------------------------------------------------------
const wchar_t* CStopInstallfrm::GetWindowClassName() const { return kSetupWindowClass; }
const wchar_t* CStopInstallfrm::GetSuperClassName() const { return nullptr; }
UINT CStopInstallfrm::GetClassStyle() const { return 0; }
void CStopInstallfrm::OnFinalMessage(HWND) {}

LRESULT CStopInstallfrm::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandlePromptMessage(m_hWnd, m_pm, kConfirmExitLayout, this, uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CStopInstallfrm::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"installbtn")) {
        Close(1);
    } else if (IsClickOn(msg, L"cancelbtn")) {
        // Ends this prompt's loop; the main loop then closes the main window (which takes
        // this owned prompt with it) and ends.
        ::PostMessageW(m_hWnd, WM_QUIT, 0, 0);
        ::PostMessageW(m_mainWindow, WM_CLOSE, 0, 0);
        ::PostMessageW(m_mainWindow, WM_QUIT, 0, 0);
    }
}

// --- CTermsfrm -------------------------------------------------------------------------
const wchar_t* CTermsfrm::GetWindowClassName() const { return kSetupWindowClass; }
const wchar_t* CTermsfrm::GetSuperClassName() const { return nullptr; }
UINT CTermsfrm::GetClassStyle() const { return 0; }
void CTermsfrm::OnFinalMessage(HWND) {}

LRESULT CTermsfrm::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandlePromptMessage(m_hWnd, m_pm, kTermsLayout, this, uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CTermsfrm::Notify(TNotifyUI& msg) {
    if (IsClickOn(msg, L"closebtn") || IsClickOn(msg, L"btn_ok")) Close(1);
}
