// "Vexmora-PC.exe": stands in for the mail client. A small window with the product name
// as its title, so that tests can see that the client was started.
#include <windows.h>

namespace {
const wchar_t kProductName[] = L"VexmoraZevlo\u90AE\u7BB1";  // VexmoraZevlo邮箱

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ClientProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"VexmoraClientFrame";
    if (!::RegisterClassW(&windowClass)) return 1;

    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, kProductName, WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, show);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
