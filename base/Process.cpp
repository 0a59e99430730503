#include "base/Process.h"

namespace {
ProcessWithTokenCall g_withToken = ::CreateProcessWithTokenW;
}  // namespace

ProcessWithTokenCall SetProcessWithTokenCall(ProcessWithTokenCall call) noexcept {
    const ProcessWithTokenCall before = g_withToken;
    g_withToken = call;
    return before;
}

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
        start.token ? g_withToken(start.token, 0, start.program.c_str(), commandLine.data(), start.flags, nullptr,
                                  start.folder, &startup, &info)
                    : ::CreateProcessW(start.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                       start.flags, nullptr, start.folder, &startup, &info);
    if (!started) return ProcessHandles();
    return ProcessHandles(info);
}
