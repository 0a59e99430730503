#include "windows/PromptRunner.h"

#include "ui/MessageLoop.h"
#include "windows/SkinWindow.h"

bool RunPrompt(std::unique_ptr<CWindowWnd> prompt, HWND parent) {
    if (!prompt) return false;
    const HWND window = prompt->Create(parent, kSetupWindowTitle, kSetupWindowStyle, kSetupWindowExStyle,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
    if (window == nullptr) return false;
    prompt->CenterWindow();
    prompt->ShowWindow(true, true);
    UIRunMessageLoop(window);
    // The object must not outlive its window's handler calls: its window goes first.
    if (::IsWindow(window)) ::DestroyWindow(window);
    return true;
}
