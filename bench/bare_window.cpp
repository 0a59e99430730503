// The reference for the setup's first paint: the least a Win32 program does to show a
// window of a given size (a class, a window, one paint of 64 coloured stripes, so that
// the probe sees it as drawn like the setup's skin), then it waits to be ended.
//
//   bare_window WIDTH HEIGHT
#include <windows.h>
#include <cstdlib>
#include <cwchar>

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT client;
        ::GetClientRect(window, &client);
        for (int i = 0; i < 64; ++i) {
            RECT stripe = {client.right * i / 64, 0, client.right * (i + 1) / 64, client.bottom};
            HBRUSH brush = ::CreateSolidBrush(RGB(i * 4, 255 - i * 4, (i * 37) & 255));
            ::FillRect(dc, &stripe, brush);
            ::DeleteObject(brush);
        }
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const int argc = __argc;
    wchar_t** argv = __wargv;
    const int width = argc > 2 ? std::wcstol(argv[1], nullptr, 10) : 600;
    const int height = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 400;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"BareWindow";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"bare", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                    width, height, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, show);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
