#pragma once
// The four prompts. Each asks one thing, is driven by its layout's "click"
// notifications, and is run by RunPrompt (windows/PromptRunner.h), which releases the
// object after its loop: the window itself never deletes it.
#include <windows.h>
#include <vector>
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Notify.h"

// The setup program is already running (layout 228). Either button closes it.
class CInstallWarningfrm : public CWindowWnd, public INotifyUI {
public:
    CInstallWarningfrm() = default;
    void Notify(TNotifyUI& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CWindowManager m_pm;
};

// The mail client is running (layout 229, with a drop shadow). "installbtn" ends the
// listed processes; "closebtn" and "cancelbtn" decline, which the cancel flag records.
class CInstallWarningForZevloRun : public CWindowWnd, public INotifyUI {
public:
    explicit CInstallWarningForZevloRun(std::vector<DWORD> processIds) : m_processIds(std::move(processIds)) {}
    void Notify(TNotifyUI& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    std::vector<DWORD> m_processIds;  // those found when the prompt was built
    CWindowManager m_pm;
};

// The client-prompt cancel flag: false at start and whenever a client prompt is
// created, true once the user declined. The run flow reads it after the prompt's loop.
bool ClientPromptCancelled();

// Confirm leaving setup (layout 230). "cancelbtn" stops setup: it ends its own loop and
// asks the main window to close; "installbtn" and "closebtn" go back.
class CStopInstallfrm : public CWindowWnd, public INotifyUI {
public:
    explicit CStopInstallfrm(HWND mainWindow) : m_mainWindow(mainWindow) {}
    void Notify(TNotifyUI& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CWindowManager m_pm;
    HWND m_mainWindow;
};

// The licence agreement (layout 232): shown only; either button closes it.
class CTermsfrm : public CWindowWnd, public INotifyUI {
public:
    CTermsfrm() = default;
    void Notify(TNotifyUI& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CWindowManager m_pm;
};
