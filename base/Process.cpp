#include "base/Process.h"

ProcessHandles StartProcess(const ProcessStart& start) {
    std::wstring commandLine = start.commandLine;  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (start.hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION info{};
    const BOOL started =
        start.token ? ::CreateProcessAsUserW(start.token, start.program.c_str(), commandLine.data(), nullptr, nullptr,
                                             FALSE, start.flags, nullptr, start.folder, &startup, &info)
                    : ::CreateProcessW(start.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                       start.flags, nullptr, start.folder, &startup, &info);
    if (!started) return ProcessHandles();
    return ProcessHandles(info);
}
