// hardfx_comeback PROGRAM TIMES: a guard that keeps PROGRAM running: it starts PROGRAM, and
// each time that process ends (terminated by someone else) starts it again, TIMES times in
// all; then it waits for the last one and exits. It stands for a client that a watchdog
// brings back as soon as it is ended. Prints "started <n>" as each copy starts.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const int times = std::wcstol(argv[2], nullptr, 10);
    for (int n = 1; n <= times; ++n) {
        std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process))
            return 3;
        std::printf("started %d\n", n);
        std::fflush(stdout);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    return 0;
}
