#pragma once
// The four prompts. Each asks one thing, is driven by its layout's "click"
// notifications, and is run by RunPrompt (windows/PromptRunner.h), which releases the
// object after its loop: the window itself never deletes it.
#include <windows.h>
#include <vector>
#include "windows/SkinWindow.h"

// The setup program is already running (layout 228). Either button closes it.
class CInstallWarningfrm : public CSkinWindow {
public:
    CInstallWarningfrm();
    void Notify(TNotifyUI& msg) override;
};

// The mail client is running (layout 229, with a drop shadow). "installbtn" ends the
// listed processes; "closebtn" and "cancelbtn" decline, which the cancel flag records.
class CInstallWarningForZevloRun : public CSkinWindow {
public:
    explicit CInstallWarningForZevloRun(std::vector<DWORD> processIds);
    void Notify(TNotifyUI& msg) override;

protected:
    void BeforeLayout() override;

private:
    std::vector<DWORD> processIds_;  // those found when the prompt was built
};

// The client-prompt cancel flag: false at start and whenever a client prompt is
// created, true once the user declined. The run flow reads it after the prompt's loop.
bool ClientPromptCancelled();

// Confirm leaving setup (layout 230). "cancelbtn" stops setup: it ends its own loop and
// asks the main window to close; "installbtn" and "closebtn" go back.
class CStopInstallfrm : public CSkinWindow {
public:
    explicit CStopInstallfrm(HWND mainWindow);
    void Notify(TNotifyUI& msg) override;

private:
    HWND mainWindow_;
};

// The licence agreement (layout 232): shown only; either button closes it.
class CTermsfrm : public CSkinWindow {
public:
    CTermsfrm();
    void Notify(TNotifyUI& msg) override;
};
