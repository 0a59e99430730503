// fx_runline "<command line>": runs a command line as the system does with one that it
// has stored (the list of installed programs with an uninstall entry's command): no
// program named apart, the line parsed by CreateProcessW itself. Waits for the program
// and ends with its exit code; 200 when it could not be started.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 201;
    std::wstring line = argv[1];
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 200;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 200;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
