#include <gtest/gtest.h>

#include "scratch.h"

#include <psapi.h>
#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <vector>

#include "engine/ClientLaunch.h"
#include "engine/LaunchToken.h"
#include "engine/Processes.h"
#include "base/Handles.h"
#include "base/Process.h"

namespace {

std::wstring ModuleName(HMODULE module) {
    wchar_t name[MAX_PATH] = {};
    ::GetModuleBaseNameW(::GetCurrentProcess(), module, name, MAX_PATH);
    return name;
}

std::vector<HMODULE> OwnModules() {
    std::vector<HMODULE> modules(1024);
    DWORD bytes = 0;
    ::EnumProcessModules(::GetCurrentProcess(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                         &bytes);
    modules.resize(bytes / sizeof(HMODULE));
    return modules;
}

std::wstring Upper(std::wstring s) {
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
    return s;
}

size_t CountOwn(const std::vector<DWORD>& ids) {
    return std::count(ids.begin(), ids.end(), ::GetCurrentProcessId());
}

}  // namespace

// The test program itself is a process to find: by its executable in another letter
// case, and by a library it loaded late, beyond the first ten modules.
TEST(FindProcessesByName, FindsTheOwnProcessByExecutableInAnyCase) {
    const std::wstring self = ModuleName(nullptr);
    EXPECT_EQ(1u, CountOwn(FindProcessesByName({Upper(self)})));
    EXPECT_EQ(1u, CountOwn(FindProcessesByName({L"fx-no-such-module.dll", self})));
    EXPECT_TRUE(FindProcessesByName({L"fx-no-such-module.dll"}).empty());
    EXPECT_TRUE(FindProcessesByName({}).empty());
}

TEST(FindProcessesByName, FindsALibraryBeyondTheFirstTenModules) {
    UniqueModule late(::LoadLibraryW(L"shell32.dll"));
    ASSERT_TRUE(late);
    const std::vector<HMODULE> modules = OwnModules();
    ASSERT_GT(modules.size(), 10u);
    auto at = std::find(modules.begin(), modules.end(), late.get());
    ASSERT_NE(modules.end(), at);
    ASSERT_GE(at - modules.begin(), 10);
    EXPECT_EQ(1u, CountOwn(FindProcessesByName({Upper(ModuleName(modules.back()))})));
}

// Identifiers that cannot be opened are passed over, and the process after them is still
// ended, with exit code 0. The child is started suspended: it never runs, so it cannot
// end by itself.
TEST(TerminateProcesses, PassesOverIdentifiersThatCannotBeOpened) {
    wchar_t system[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetSystemDirectoryW(system, MAX_PATH));
    ProcessStart start;
    start.program = std::wstring(system) + L"\\cmd.exe";
    start.commandLine = L"cmd.exe /c exit 7";
    start.flags = CREATE_SUSPENDED | CREATE_NO_WINDOW;
    const ProcessHandles child = StartProcess(start);
    ASSERT_TRUE(child);

    TerminateProcesses({0xFFFFFFF0u, 0u, 0xFFFFFFFCu, child.id});
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(child.process.get(), 30000));
    DWORD code = 1;
    ASSERT_TRUE(::GetExitCodeProcess(child.process.get(), &code));
    EXPECT_EQ(0u, code);
}

TEST(RunPreviousUninstaller, ReturnsAtOnceWhenThereIsNoUninstaller) {
    ScratchFolder scratch(L"fxnouninst");
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(EarlierUninstaller::None, RunPreviousUninstaller(scratch.path()));
    EXPECT_EQ(EarlierUninstaller::None, RunPreviousUninstaller(scratch / L"missing"));
    EXPECT_LT(::GetTickCount64() - start, 1000u);
}

// Whose token the client gets, as a table: the shell's, or nothing at all.
TEST(ChooseLaunchToken, TheShellsTokenOrNone) {
    const std::wstring person = L"S-1-5-21-1-2-3-1001";
    struct Row {
        const char* why;
        ShellFacts facts;
        LaunchToken choice;
    };
    const Row rows[] = {
        {"the signed-in person's shell", {4242, 77, true, person}, LaunchToken::Shell},
        {"no shell window (a silent run as SYSTEM)", {0, 77, false, L""}, LaunchToken::NoShell},
        {"the setup owns the shell window", {77, 77, true, person}, LaunchToken::ShellIsSetup},
        {"the shell's token cannot be opened", {4242, 77, false, L""}, LaunchToken::TokenUnread},
        {"the shell's user cannot be read", {4242, 77, true, L""}, LaunchToken::TokenUnread},
        {"a shell running as SYSTEM", {4242, 77, true, L"S-1-5-18"}, LaunchToken::ServiceShell},
        {"a shell running as NETWORK SERVICE", {4242, 77, true, L"S-1-5-20"}, LaunchToken::ServiceShell},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(static_cast<int>(row.choice), static_cast<int>(ChooseLaunchToken(row.facts))) << row.why;
        EXPECT_EQ(row.choice == LaunchToken::Shell, std::wstring(LaunchTokenWhyNot(row.choice)).empty()) << row.why;
    }
}

namespace {

bool HoldsPrivilege(HANDLE token, const wchar_t* name) {
    LUID luid{};
    ::LookupPrivilegeValueW(nullptr, name, &luid);
    std::vector<std::uint64_t> buffer(512);
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenPrivileges, buffer.data(), static_cast<DWORD>(buffer.size() * 8), &size))
        return false;
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i)
        if (privileges->Privileges[i].Luid.LowPart == luid.LowPart &&
            privileges->Privileges[i].Luid.HighPart == luid.HighPart)
            return true;
    return false;
}

// Stands in for CreateProcessWithTokenW: notes whether the token it is handed is the
// stand-in shell's (without SeChangeNotifyPrivilege), then starts the process for real.
int g_launches = 0;
bool g_shellsToken = false;
BOOL WINAPI RecordingStart(HANDLE token, DWORD logon, LPCWSTR program, LPWSTR line, DWORD flags, LPVOID environment,
                           LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info) {
    ++g_launches;
    g_shellsToken = !HoldsPrivilege(token, SE_CHANGE_NOTIFY_NAME);
    return ::CreateProcessWithTokenW(token, logon, program, line, flags, environment, folder, startup, info);
}

}  // namespace

// Every process here runs as the same administrator, and this Wine starts the process as
// the caller whatever token it is handed: what the launch hands over is looked at where it
// is handed (SetProcessWithTokenCall). Without a shell nothing starts; with the stand-in
// shell (tests/programs/fx_shell.exe, which gives up a privilege the setup holds), the
// client gets a copy of the shell's token and runs.
TEST(LaunchAsSignedInUser, StartsWithTheShellsTokenOrNothing) {
    ScratchFolder scratch(L"fxlaunch");
    const std::wstring client = scratch / L"Start.exe";
    ASSERT_TRUE(::CopyFileW(TestProgram(L"fx_recorder.exe").c_str(), client.c_str(), FALSE));
    const ProcessWithTokenCall before = SetProcessWithTokenCall(RecordingStart);
    g_launches = 0;

    ASSERT_EQ(nullptr, ::GetShellWindow()) << "a shell runs before the test";
    const ClientLaunch none = LaunchAsSignedInUser(QuoteCommandPath(client));
    EXPECT_FALSE(none.started);
    EXPECT_EQ(LaunchTokenWhyNot(LaunchToken::NoShell), none.whyNot);
    // A bare name would be looked for in the setup's own folder first: never started.
    EXPECT_FALSE(LaunchAsSignedInUser(L"cmd /c exit").started);
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_PATHNAME), ::GetLastError());
    EXPECT_EQ(0, g_launches);

    ProcessStart shellStart;
    shellStart.program = TestProgram(L"fx_shell.exe");
    shellStart.commandLine = QuoteCommandPath(shellStart.program);
    const ProcessHandles shell = StartProcess(shellStart);
    ASSERT_TRUE(shell);
    for (const ULONGLONG deadline = ::GetTickCount64() + 30000; !::GetShellWindow() && ::GetTickCount64() < deadline;)
        ::Sleep(50);
    DWORD shellId = 0;
    ::GetWindowThreadProcessId(::GetShellWindow(), &shellId);
    EXPECT_EQ(shell.id, shellId);

    const ClientLaunch launched = LaunchAsSignedInUser(QuoteCommandPath(client));
    EXPECT_TRUE(launched.started) << U8(launched.whyNot);
    EXPECT_EQ(1, g_launches);
    EXPECT_TRUE(g_shellsToken) << "started with another token than the shell's";
    UniqueHandle own;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, own.put()));
    EXPECT_TRUE(HoldsPrivilege(own.get(), SE_CHANGE_NOTIFY_NAME)) << "the setup's own token cannot be told apart";
    const std::wstring ran = scratch / L"Start-cmdline.txt";
    for (const ULONGLONG deadline = ::GetTickCount64() + 30000; !Exists(ran) && ::GetTickCount64() < deadline;)
        ::Sleep(50);
    EXPECT_TRUE(Exists(ran));

    ::TerminateProcess(shell.process.get(), 0);
    ::WaitForSingleObject(shell.process.get(), 30000);
    SetProcessWithTokenCall(before);
}

// What the system would look for: only a full path on a drive is started as it stands.
TEST(CommandProgram, OnlyAFullPathIsAProgramToStart) {
    struct Case {
        const wchar_t* line;
        const wchar_t* program;
        bool full;
    };
    const Case cases[] = {
        {L"\"C:\\Windows\\system32\\cmd.exe\" /c ren a b", L"C:\\Windows\\system32\\cmd.exe", true},
        {L"C:\\Windows\\system32\\cmd.exe /c exit", L"C:\\Windows\\system32\\cmd.exe", true},
        {L"\"D:\\Program Files\\Vexmora\\Start.exe\"", L"D:\\Program Files\\Vexmora\\Start.exe", true},
        {L"cmd /c ren \"D:\\x\\QuillwireShell.dll\" QuillwireShell_bak.dll", L"cmd", false},
        {L"\"cmd\" /c exit", L"cmd", false},
        {L"cmd.exe\t/c exit", L"cmd.exe", false},
        {L".\\cmd.exe /c exit", L".\\cmd.exe", false},
        {L"\\Windows\\system32\\cmd.exe", L"\\Windows\\system32\\cmd.exe", false},  // the current drive
        {L"C:cmd.exe", L"C:cmd.exe", false},                                      // that drive's current folder
        {L"\\\\server\\share\\cmd.exe", L"\\\\server\\share\\cmd.exe", false},
        {L"\"C:\\Program Files\\x.exe", L"C:\\Program Files\\x.exe", true},  // unclosed: the rest
        {L"", L"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.program, CommandProgram(c.line)) << U8(c.line);
        EXPECT_EQ(c.full, IsFullProgramPath(CommandProgram(c.line))) << U8(c.line);
    }
}

TEST(QuoteCommandPath, WrapsThePathInDoubleQuotes) {
    EXPECT_EQ(L"\"D:\\Program Files\\Vexmora\\Start.exe\"", QuoteCommandPath(L"D:\\Program Files\\Vexmora\\Start.exe"));
}

// A hidden command runs only when its program is named by full path; a bare "cmd" is
// not started at all (the system would look beside the setup and in its current folder).
TEST(RunHiddenCommand, StartsAFullPathAndNeverABareName) {
    ScratchFolder scratch(L"fxhidden");
    wchar_t system[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetSystemDirectoryW(system, MAX_PATH));
    const std::wstring byPath = scratch / L"by-path.txt", byName = scratch / L"by-name.txt";
    RunHiddenCommandAndWait(std::wstring(system) + L"\\cmd.exe /c echo x> \"" + byPath + L"\"", 30000);
    RunHiddenCommandAndWait(L"cmd /c echo x> \"" + byName + L"\"", 30000);
    EXPECT_TRUE(Exists(byPath));
    EXPECT_FALSE(Exists(byName));
}
