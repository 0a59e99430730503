#include "ui/MessageLoop.h"

#include "ui/WindowManager.h"

namespace {
void Handle(const MSG& msg) {
    if (CWindowManager::TranslateMessageAll(&msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}
}  // namespace

int UIRunMessageLoop(HWND window) {
    MSG msg = {};
    while (window == nullptr || ::IsWindow(window)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return 0;
        if (got == 0) {
            if (window == nullptr || msg.hwnd == window) return static_cast<int>(msg.wParam);
            continue;  // the quit of a window already gone; this loop ends with its own window
        }
        Handle(msg);
    }
    return 0;
}

void UIPumpMessages() {
    MSG msg = {};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) Handle(msg);
}
