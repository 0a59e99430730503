// Stand-in for a program that setup starts (an earlier uninstaller, the client's start
// program, a hidden command): writes its command line, UTF-8, to
// "<own folder>\<own name without extension>-cmdline.txt" and ends. When a file "slow"
// lies beside it, it first takes a while, so that a caller that does not wait is caught.
// Started as "fx_recorder --start <command line>", it then starts that command line the
// way a caller that names no program does (the system searches for a bare name) and
// waits for it: the control of the planted-program tests.
#include <windows.h>
#include <cwchar>
#include <string>
#include "base/pure/Utf.h"

namespace {

void StartBySearch(const wchar_t* line) {
    const wchar_t* command = ::wcsstr(line, L"--start ");
    if (!command) return;
    std::wstring writable = command + 8;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    ::WaitForSingleObject(process.hProcess, 60000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace

int wmain() {
    wchar_t selfPath[MAX_PATH];
    ::GetModuleFileNameW(nullptr, selfPath, MAX_PATH);
    std::wstring self(selfPath);
    const std::wstring folder = self.substr(0, self.rfind(L'\\'));
    std::wstring name = self.substr(folder.size() + 1);
    name = name.substr(0, name.rfind(L'.'));
    if (::GetFileAttributesW((folder + L"\\slow").c_str()) != INVALID_FILE_ATTRIBUTES) ::Sleep(700);

    const wchar_t* line = ::GetCommandLineW();
    const std::string text = Utf16ToUtf8(line);

    const std::wstring out = folder + L"\\" + name + L"-cmdline.txt", partial = out + L".part";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    ::MoveFileExW(partial.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING);
    StartBySearch(line);
    return 0;
}
