// What the task bar's "close window" does to the setup's main window: posts
// WM_SYSCOMMAND SC_CLOSE, which the default handling turns into WM_CLOSE. (Without a window
// manager under Xvfb there is no task bar, and Wine does not turn a synthetic Alt+F4 into
// a close for the skinned window.)
//   winfx_close.exe           exit code 0 when a main window was found and the close posted
#include <windows.h>

int wmain() {
    // The main window is the setup window of the layout's 580x400 size; prompts are smaller.
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"UIMainFrame", L"VexmoraFM")) != nullptr) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        if (rect.right - rect.left == 580 && rect.bottom - rect.top == 400 && ::IsWindowVisible(window))
            return ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 2;
    }
    return 1;
}
