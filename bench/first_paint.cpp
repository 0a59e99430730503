// Measures process start to first painted window: starts PROGRAM, then looks at the
// screen every millisecond until a visible top-level window of that process shows more
// than 50 colours (a skin drawn, not an empty frame), prints the time and ends the
// process. Screen pixels are read back from the display, as a person would see them.
//
//   first_paint PROGRAM [ARGUMENTS]     prints first_paint_s, window_width, window_height
#include <windows.h>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "Clock.h"

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    RECT r;
    if (owner == search->process && ::IsWindowVisible(window) && ::GetWindowRect(window, &r) &&
        r.right - r.left > 100 && r.bottom - r.top > 100) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// More than 50 colours in the window's rectangle on the screen.
bool Drawn(HWND window) {
    RECT r;
    if (!::GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    std::unordered_set<DWORD> colours;
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; pixels && i < w * h && colours.size() <= 50; i += 7) colours.insert(pixels[i] & 0xFFFFFF);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return colours.size() > 50;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: first_paint PROGRAM [ARGUMENTS]\n");
        return 2;
    }
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 2; i < argc; ++i) command += L" " + std::wstring(argv[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!::CreateProcessW(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 3;
    double painted = -1;
    RECT where{};
    while (Now() - start < 60) {
        Search search{process.dwProcessId, nullptr};
        ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found && Drawn(search.found)) {
            painted = Now() - start;
            ::GetWindowRect(search.found, &where);
            break;
        }
        ::Sleep(1);
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (painted < 0) return 4;
    std::printf("first_paint_s %.4f\nwindow_width %ld\nwindow_height %ld\n", painted, where.right - where.left,
                where.bottom - where.top);
    return 0;
}
