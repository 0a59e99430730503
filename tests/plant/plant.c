/* A planted library: when any process loads it, it leaves "<its own file name>.ran"
   beside itself, so a test can tell afterwards that the loader picked it up. It exports
   nothing; a program that really needed its functions would fail, which is fine, the
   marker is written first. */
#include <windows.h>

static void LeaveMarker(HMODULE self) {
    wchar_t path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    lstrcatW(path, L".ran");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}
