// hardfx_lock FILE: another program holding FILE open (created if missing) without
// sharing it in any way, so nobody else may open, replace, rename or delete it. Prints
// "locked" once it holds the file, then keeps it until it is terminated.
#include <windows.h>
#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HANDLE file = ::CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu\n", ::GetLastError());
        return 3;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    ::Sleep(INFINITE);
    return 0;
}
