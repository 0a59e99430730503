#include "windows/HiddenCommand.h"

#include "ui/Handles.h"

void RunHiddenCommandAndWait(const std::wstring& commandLine, DWORD limitMs) {
    std::wstring writable = commandLine;  // CreateProcessW may write into its command line
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return;
    UniqueHandle thread(info.hThread);
    UniqueHandle process(info.hProcess);
    ::WaitForSingleObject(process.get(), limitMs);
}
