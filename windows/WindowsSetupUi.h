#pragma once
// The start-up flow's windows: the two start-up prompts, the main window and its loop,
// and the pump that keeps them going during the install run.
#include "app/SetupUi.h"

class WindowsSetupUi final : public SetupUi {
public:
    void ShowAlreadyRunning() override;
    bool ShowClientRunning(const std::vector<DWORD>& ids) override;
    void ShowWarning(const std::wstring& text, const std::wstring& caption) override;
    // Decodes the main window's first images on a worker meanwhile.
    void PrepareMainWindow() override;
    bool OpenMainWindow() override;
    // The framework's loop and pump (ui/MessageLoop.h); the loop runs until the main
    // window is gone.
    void RunMessageLoop() override;
    void PumpMessages() override;

private:
    HWND mainWindow_ = nullptr;
};
