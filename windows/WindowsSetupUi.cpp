#include "windows/WindowsSetupUi.h"

#include <memory>
#include <tuple>
#include "windows/FrameWindow.h"
#include "windows/PromptRunner.h"
#include "windows/PromptWindows.h"
#include "ui/MessageLoop.h"

void WindowsSetupUi::ShowAlreadyRunning() {
    std::ignore = RunPrompt(std::make_unique<CInstallWarningfrm>(), nullptr);  // setup ends either way
}

bool WindowsSetupUi::ShowClientRunning(const std::vector<DWORD>& ids) {
    // A prompt that cannot be shown ends setup, like a declined one.
    if (!RunPrompt(std::make_unique<CInstallWarningForZevloRun>(ids), nullptr)) return true;
    return ClientPromptCancelled();
}

void WindowsSetupUi::ShowWarning(const std::wstring& text, const std::wstring& caption) {
    ::MessageBoxW(mainWindow_, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

void WindowsSetupUi::PrepareMainWindow() { CFrameWindowWnd::PrefetchImages(); }

bool WindowsSetupUi::OpenMainWindow() {
    auto frame = std::make_unique<CFrameWindowWnd>();
    mainWindow_ = frame->Open();
    if (mainWindow_ == nullptr) return false;
    frame.release();  // owned by its window from here on
    return true;
}

void WindowsSetupUi::RunMessageLoop() {
    UIRunMessageLoop(mainWindow_);
}

void WindowsSetupUi::PumpMessages() {
    UIPumpMessages();
}
