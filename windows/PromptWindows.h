#pragma once
// The four prompts. Each asks one thing, is driven by its layout's "click"
// notifications, and is run by RunPrompt (windows/PromptRunner.h), which releases the
// object after its loop: the window itself never deletes it.
#include <windows.h>
#include <vector>
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Notify.h"

// What the prompts share: the setup windows' class, their layout built at creation with
// the prompt as receiver, the caption hit test, and the end of the nested loop that runs
// the prompt when its window is destroyed.
class CPromptWindow : public CWindowWnd, public INotifyUI {
protected:
    explicit CPromptWindow(UINT layoutId) : m_layoutId(layoutId) {}

    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    // At creation, after the window is prepared and before its layout is built.
    virtual void BeforeLayout() {}

    CWindowManager m_pm;

private:
    UINT m_layoutId;
};

// The setup program is already running (layout 228). Either button closes it.
class CInstallWarningfrm : public CPromptWindow {
public:
    CInstallWarningfrm();
    void Notify(TNotifyUI& msg) override;
};

// The mail client is running (layout 229, with a drop shadow). "installbtn" ends the
// listed processes; "closebtn" and "cancelbtn" decline, which the cancel flag records.
class CInstallWarningForZevloRun : public CPromptWindow {
public:
    explicit CInstallWarningForZevloRun(std::vector<DWORD> processIds);
    void Notify(TNotifyUI& msg) override;

protected:
    void BeforeLayout() override;

private:
    std::vector<DWORD> m_processIds;  // those found when the prompt was built
};

// The client-prompt cancel flag: false at start and whenever a client prompt is
// created, true once the user declined. The run flow reads it after the prompt's loop.
bool ClientPromptCancelled();

// Confirm leaving setup (layout 230). "cancelbtn" stops setup: it ends its own loop and
// asks the main window to close; "installbtn" and "closebtn" go back.
class CStopInstallfrm : public CPromptWindow {
public:
    explicit CStopInstallfrm(HWND mainWindow);
    void Notify(TNotifyUI& msg) override;

private:
    HWND m_mainWindow;
};

// The licence agreement (layout 232): shown only; either button closes it.
class CTermsfrm : public CPromptWindow {
public:
    CTermsfrm();
    void Notify(TNotifyUI& msg) override;
};
