// "CrashSender1403.exe": stands in for the client's crash reporter. It stays running
// with a hidden window until it is closed or terminated, as the real one would while
// sending a report; the setup ends it silently.
#include <windows.h>

namespace {
LRESULT CALLBACK SenderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = SenderProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VexmoraCrashSender";
    if (!::RegisterClassW(&windowClass)) return 1;
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"CrashSender", WS_OVERLAPPED,
                                    0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}
