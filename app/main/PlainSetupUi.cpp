#include "PlainSetupUi.h"

namespace {

constexpr DWORD kMainStyle = 0x96C80000;   // popup, visible, clipping, border, dialog frame, system menu
constexpr DWORD kMainExStyle = 0x100;      // WS_EX_WINDOWEDGE
constexpr int kWidth = 580, kHeight = 400;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);  // ends RunSetup's message loop
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Centred on the work area of the window's monitor (it has no owner).
void CenterOnWorkArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool PlainSetupUi::OpenMainWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MainProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"UIMainFrame";
    ::RegisterClassExW(&windowClass);

    HWND window = ::CreateWindowExW(kMainExStyle, L"UIMainFrame", L"VexmoraFM", kMainStyle, CW_USEDEFAULT,
                                    CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr, instance_, nullptr);
    if (!window) return false;
    CenterOnWorkArea(window);
    ::ShowWindow(window, SW_SHOW);
    ::SetFocus(window);
    return true;
}
