#pragma once
// The start-up flow's windows: the two start-up prompts, the main window and its loop.
#include "app/SetupUi.h"

class WindowsSetupUi final : public SetupUi {
public:
    void ShowAlreadyRunning() override;
    bool ShowClientRunning(const std::vector<DWORD>& ids) override;
    void ShowWarning(const std::wstring& text, const std::wstring& caption) override;
    bool OpenMainWindow() override;
    // Runs until the main window is gone (see RunWindowLoop).
    void RunMessageLoop() override;

private:
    HWND mainWindow_ = nullptr;
};
