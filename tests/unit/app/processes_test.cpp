#include <gtest/gtest.h>

#include "scratch.h"

#include <psapi.h>
#include <algorithm>
#include <cwctype>

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

TEST(LaunchAtMediumIntegrity, ReportsTheFailingStepsError) {
    ::SetLastError(0);
    EXPECT_FALSE(LaunchAtMediumIntegrity(QuoteCommandPath(L"C:\\fx missing\\Start.exe")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), ::GetLastError());
    // A bare name would be looked for in the setup's own folder first: never started.
    EXPECT_FALSE(LaunchAtMediumIntegrity(L"cmd /c exit"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_PATHNAME), ::GetLastError());
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
