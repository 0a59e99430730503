// What the shell does once it has made the setup's task-bar button: it sends the registered
// message "TaskbarButtonCreated" to the window. (Under Xvfb without a desktop shell there is
// no task bar, and nothing sends it.)
//   winfx_taskbar.exe         exit code 0 when a main window was found and the message sent
#include <windows.h>

int wmain() {
    const UINT message = ::RegisterWindowMessageW(L"TaskbarButtonCreated");
    // The main window is the setup window of the layout's 580x400 size; prompts are smaller.
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"UIMainFrame", L"VexmoraFM")) != nullptr) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        if (rect.right - rect.left == 580 && rect.bottom - rect.top == 400 && ::IsWindowVisible(window)) {
            DWORD_PTR result = 0;
            return ::SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, 30000, &result) ? 0 : 2;
        }
    }
    return 1;
}
