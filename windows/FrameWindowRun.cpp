// The main window's side of the install run: the events that the engine sends and posts.
#include "windows/FrameWindow.h"

#include <string>
#include "app/InstallManager.h"
#include "engine/InstallEvents.h"
#include "engine/ShellExtensionAside.h"
#include "windows/SkinWindow.h"
#include "windows/TaskbarButton.h"
#include "base/pure/DecimalText.h"

void CFrameWindowWnd::OnInstallEvent(WPARAM kind, LPARAM value) {
    switch (kind) {
    case INSTALL_EVENT_START: SetShellExtensionAside(); break;
    case INSTALL_EVENT_PROGRESS: ShowProgress(static_cast<int>(value)); break;
    case INSTALL_EVENT_DONE: OnRunEnded(); break;
    case INSTALL_EVENT_STATUS: break;
    case INSTALL_EVENT_RESET: ResetAfterRun(); break;
    case INSTALL_EVENT_ASKING: taskbar_.Waiting(value != 0); break;
    default: break;
    }
}

// Before the first payload file is written (the event is sent, not posted); the run's
// journal is open by then and records the "_bak" files the renames make.
void CFrameWindowWnd::SetShellExtensionAside() {
    Install_CIM* manager = GetInstallManager();
    ::SetShellExtensionAside(manager->State());
}

void CFrameWindowWnd::ShowProgress(int percent) {
    SetProgressValue(pm_, L"progress", percent);
    taskbar_.Progress(percent);
    SetControlText(pm_, L"install_msg", (DecimalText(percent) + L'%').c_str());
}

void CFrameWindowWnd::OnRunEnded() {
    Install_CIM* manager = GetInstallManager();
    // Registration, then the commit; it sends INSTALL_EVENT_RESET before it returns. It
    // declines a run that is not whole, with the reason as the status text.
    if (manager->AfterInstall()) {
        taskbar_.Ended();
        ShowControl(pm_, L"progress_container", false);
        ShowControl(pm_, L"finishinstall", true);
        ShowControl(pm_, L"closebtn", true);
    } else {
        // The run is taken back before the user is told: the machine is then as it was, an
        // earlier installation it ran over included (but for one whose journal could not
        // be read, which its own uninstaller removed at the start).
        const bool aborted = manager->GetStatusText().empty();
        const RollbackOutcome rollback = manager->RollBackUnfinishedRun();
        const CUIString text = manager->RollbackMessage(rollback);
        if (!text.empty()) {
            const CUIString caption = aborted ? manager->LoadResString(139, L"Install cancelled")
                                              : manager->LoadResString(140, L"Install fail");
            taskbar_.Waiting(true);  // the failure, as long as the user reads it
            ::MessageBoxW(hWnd_, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
        }
        taskbar_.Ended();
        ResetAfterRun();
        // Back on the page of choices, with the sub-page the user had, so that the folder
        // can be corrected and the install started again, or setup left.
        ShowControl(pm_, L"beforeinstall", true);
        ShowControl(pm_, L"closebtn", true);
    }
    installing_ = false;
}

void CFrameWindowWnd::ResetAfterRun() {
    ShowControl(pm_, L"progress_container", false);
    EnableControl(pm_, L"browser", true);
    EnableControl(pm_, L"start", true);
}

// The shell made (or, after a restart of its own, made again) the window's task-bar button.
void CFrameWindowWnd::OnTaskbarButtonCreated() { taskbar_.Attach(CreateTaskbarButton(hWnd_)); }
