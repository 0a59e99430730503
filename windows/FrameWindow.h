#pragma once
// The main setup window: the rotating banner above the page of choices, the progress
// page and the finish page (layout 221). It turns clicks into the install manager's
// choices, starts the install run and follows its events to the finish page.
#include <windows.h>
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Notify.h"
#include "windows/TaskbarProgress.h"

class CFrameWindowWnd : public CWindowWnd, public INotifyUI {
public:
    CFrameWindowWnd() = default;

    // Creates the window (no parent, the setup windows' title and styles), centres it and
    // shows it with focus. From then on the object owns itself and is deleted with its
    // window. Null, and the object still the caller's, when creation failed.
    HWND Open();

    void Notify(TNotifyUI& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnClick(TNotifyUI& msg);
    void OnWindowInit();
    void StepBanner();
    void ShowCustomPage();
    void ShowDefaultPage();
    void ChooseFolder();
    void Start();
    void Finish();
    void RunStopPrompt();
    void RunTermsPrompt();

    // What the start step checks before it makes anything (FrameWindowChecks.cpp): each
    // false when the start is to stop, with the page as it was.
    bool HasRoomFor(const CUIString& folder);
    bool ConfirmEarlierVersion();
    void ShowRoom();  // the custom page's "space needed / available" for the folder in "path"
    void OnTaskbarButtonCreated();

    // Install events (FrameWindowRun.cpp).
    void OnInstallEvent(WPARAM kind, LPARAM value);
    void SetShellExtensionAside();
    void ShowProgress(int percent);
    void OnRunEnded();
    void ResetAfterRun();

    CWindowManager m_pm;
    TaskbarProgress m_taskbar;
    CUIString m_installAction;   // the progress page's "正在安装", as the layout has it
    bool m_ownsItself = false;   // set once the window exists
    bool m_installing = false;   // from the page switch of "start" to the end of the run
    int m_handlerDepth = 0;      // HandleMessage calls on the stack
    bool m_deletePending = false;
};
