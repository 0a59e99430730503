// A stand-in for the signed-in person's shell (this Wine's desktop registers none): owns
// the desktop's shell window (SetShellWindow, as the system's shell does) until it is
// ended. Its token is told apart from the setup's: it gives up SeChangeNotifyPrivilege,
// which every other process here holds. Prints "shell <process id>" once it is the shell.
#include <windows.h>
#include <cstdio>

extern "C" __declspec(dllimport) BOOL WINAPI SetShellWindow(HWND window);

int wmain() {
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        TOKEN_PRIVILEGES removed{1, {{{0, 0}, SE_PRIVILEGE_REMOVED}}};
        ::LookupPrivilegeValueW(nullptr, SE_CHANGE_NOTIFY_NAME, &removed.Privileges[0].Luid);
        ::AdjustTokenPrivileges(token, FALSE, &removed, 0, nullptr, nullptr);
        ::CloseHandle(token);
    }
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"fx_shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                          nullptr);
    if (!window || !::SetShellWindow(window)) return 1;
    std::printf("shell %lu\n", ::GetCurrentProcessId());
    std::fflush(stdout);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}
