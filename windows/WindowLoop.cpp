#include "windows/WindowLoop.h"

#include "ui/WindowManager.h"

void RunWindowLoop(HWND window) {
    MSG msg = {};
    while (::IsWindow(window)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) {
            if (msg.hwnd == window) return;
            continue;  // the quit of a window already gone; this loop ends with its own window
        }
        if (CWindowManager::TranslateMessageAll(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
