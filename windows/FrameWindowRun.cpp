// The main window's side of the install run: the events that the engine sends and posts.
#include "windows/FrameWindow.h"

#include <cwchar>
#include <string>
#include "app/InstallManager.h"
#include "engine/InstallEvents.h"
#include "engine/Processes.h"
#include "windows/SkinWindow.h"

namespace {
// A rename takes a moment; a command interpreter that hangs must not hold the install.
constexpr DWORD kRenameLimitMs = 30000;
}  // namespace

void CFrameWindowWnd::OnInstallEvent(WPARAM kind, LPARAM value) {
    switch (kind) {
    case INSTALL_EVENT_START: SetShellExtensionAside(); break;
    case INSTALL_EVENT_PROGRESS: ShowProgress(static_cast<int>(value)); break;
    case INSTALL_EVENT_DONE: OnRunEnded(); break;
    case INSTALL_EVENT_STATUS: break;
    case INSTALL_EVENT_RESET: ResetAfterRun(); break;
    default: break;
    }
}

// An earlier installation's shell extension may be loaded by Explorer and so cannot be
// overwritten; renamed, it makes way for the new copies. Each rename is waited for: a
// rename that ran late would take the freshly unpacked file away under the old name.
// They fail quietly on a first install.
void CFrameWindowWnd::SetShellExtensionAside() {
    const std::wstring folder = GetInstallManager()->GetInstallPath();
    const std::wstring shell = folder + L"\\QuillwireShell.dll";
    const std::wstring shell64 = folder + L"\\QuillwireShell64.dll";
    const std::wstring shellBak = folder + L"\\QuillwireShell_bak.dll";
    const std::wstring shell64Bak = folder + L"\\QuillwireShell64_bak.dll";
    const std::wstring rename = L"cmd /c ren \"" + shell + L"\" QuillwireShell_bak.dll";
    const std::wstring rename64 = L"cmd /c ren \"" + shell64 + L"\" QuillwireShell64_bak.dll";
    ::DeleteFileW(shellBak.c_str());
    ::DeleteFileW(shell64Bak.c_str());
    RunHiddenCommandAndWait(rename, kRenameLimitMs);
    RunHiddenCommandAndWait(rename64, kRenameLimitMs);
}

void CFrameWindowWnd::ShowProgress(int percent) {
    SetProgressValue(m_pm, L"progress", percent);
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%d%c", percent, L'%');
    SetControlText(m_pm, L"install_msg", text);
}

void CFrameWindowWnd::OnRunEnded() {
    Install_CIM* manager = GetInstallManager();
    if (manager->ExtractionCompleted()) {
        manager->AfterInstall();  // sends INSTALL_EVENT_RESET before it returns
        ShowControl(m_pm, L"progress_container", false);
        ShowControl(m_pm, L"finishinstall", true);
        ShowControl(m_pm, L"closebtn", true);
    } else {
        const CUIString status = manager->GetStatusText();
        if (!status.empty()) {
            const CUIString caption = manager->LoadResString(140, L"Install fail");
            ::MessageBoxW(m_hWnd, status.c_str(), caption.c_str(), MB_ICONINFORMATION);
        }
        ResetAfterRun();
        // Back on the page of choices, with the sub-page the user had, so that the folder
        // can be corrected and the install started again, or setup left.
        ShowControl(m_pm, L"beforeinstall", true);
        ShowControl(m_pm, L"closebtn", true);
    }
    m_installing = false;
}

void CFrameWindowWnd::ResetAfterRun() {
    ShowControl(m_pm, L"progress_container", false);
    EnableControl(m_pm, L"browser", true);
    EnableControl(m_pm, L"start", true);
}
