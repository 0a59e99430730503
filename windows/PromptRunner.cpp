#include "windows/PromptRunner.h"

#include "ui/MessageLoop.h"

bool RunPrompt(std::unique_ptr<CSkinWindow> prompt, HWND parent) {
    if (!prompt) return false;
    const HWND window = prompt->Open(parent, SkinWindowLife::ReleasedByCaller);
    if (window == nullptr) return false;
    UIRunMessageLoop(window);
    // The object must not outlive its window's handler calls: its window goes first.
    if (::IsWindow(window)) ::DestroyWindow(window);
    return true;
}
