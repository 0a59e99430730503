// Stand-in for a running client process: loads the libraries it is given
// (--load <path>, in order), writes its process id to "<own path>.pid" and then waits
// until it is terminated.
#include <windows.h>
#include <string>

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::wstring(argv[i]) == L"--load" && !::LoadLibraryW(argv[i + 1])) return 3;
    }
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring pidFile = std::wstring(self) + L".pid", partial = pidFile + L".part";
    const std::string pid = std::to_string(::GetCurrentProcessId());
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    ::CloseHandle(file);
    ::MoveFileExW(partial.c_str(), pidFile.c_str(), MOVEFILE_REPLACE_EXISTING);  // appears complete
    ::Sleep(INFINITE);
    return 0;
}
