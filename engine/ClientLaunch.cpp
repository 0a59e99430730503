#include "engine/ClientLaunch.h"

#include <windows.h>
#include <sddl.h>

#include <cstdint>
#include <vector>

#include "base/Handles.h"
#include "base/Process.h"
#include "base/pure/CommandLine.h"
#include "engine/FileTrust.h"
#include "engine/LaunchToken.h"

namespace {

// The SID the token runs as, empty when it cannot be asked.
std::wstring UserOfToken(HANDLE token) {
    DWORD size = 0;
    ::GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    std::vector<std::uint64_t> buffer(size / sizeof(std::uint64_t) + 1);  // aligned for TOKEN_USER
    if (size == 0 || !::GetTokenInformation(token, ::TokenUser, buffer.data(), size, &size)) return {};
    UniqueLocal text;
    if (!::ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid,
                                  reinterpret_cast<LPWSTR*>(text.put())))
        return {};
    return static_cast<const wchar_t*>(text.get());
}

}  // namespace

ClientLaunch LaunchAsSignedInUser(const std::wstring& commandLine) {
    ClientLaunch launch;
    const std::wstring program = CommandProgram(commandLine);
    if (!IsFullProgramPath(program)) {
        ::SetLastError(ERROR_BAD_PATHNAME);
        launch.whyNot = L"not a full program path";
        return launch;
    }
    ShellFacts facts;
    facts.ownProcessId = ::GetCurrentProcessId();
    DWORD shellId = 0;
    if (const HWND shell = ::GetShellWindow()) ::GetWindowThreadProcessId(shell, &shellId);
    facts.shellProcessId = shellId;
    UniqueHandle shellToken;
    if (shellId != 0 && shellId != facts.ownProcessId) {
        const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellId));
        facts.tokenRead = process && ::OpenProcessToken(process.get(), TOKEN_DUPLICATE | TOKEN_QUERY, shellToken.put());
        if (facts.tokenRead) facts.shellUser = UserOfToken(shellToken.get());
    }
    const LaunchToken choice = ChooseLaunchToken(facts);
    if (choice != LaunchToken::Shell) {
        launch.whyNot = LaunchTokenWhyNot(choice);
        return launch;
    }
    UniqueHandle primary;
    if (!::DuplicateTokenEx(shellToken.get(),
                            TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                                TOKEN_ADJUST_SESSIONID,
                            nullptr, SecurityImpersonation, TokenPrimary, primary.put())) {
        launch.whyNot = L"the shell's token cannot be copied";
        return launch;
    }
    ProcessStart start;
    start.program = program;
    start.commandLine = commandLine;
    start.token = primary.get();
    launch.started = static_cast<bool>(StartProcess(start));
    if (!launch.started) launch.whyNot = L"the system did not start it";
    return launch;
}
