#include <gtest/gtest.h>

#include "scratch.h"

#include <psapi.h>
#include <algorithm>
#include <cwctype>

#include "engine/Processes.h"
#include "ui/Handles.h"

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

TEST(TerminateProcesses, PassesOverIdentifiersThatCannotBeOpened) {
    TerminateProcesses({0xFFFFFFF0u, 0u, 0xFFFFFFFCu});  // nothing to end, nothing to crash
    SUCCEED();
}

TEST(RunPreviousUninstaller, ReturnsAtOnceWhenThereIsNoUninstaller) {
    ScratchFolder scratch(L"fxnouninst");
    const ULONGLONG start = ::GetTickCount64();
    RunPreviousUninstaller(scratch.path());
    RunPreviousUninstaller(scratch / L"missing");
    EXPECT_LT(::GetTickCount64() - start, 1000u);
}

TEST(LaunchAtMediumIntegrity, ReportsTheFailingStepsError) {
    ::SetLastError(0);
    EXPECT_FALSE(LaunchAtMediumIntegrity(QuoteCommandPath(L"C:\\fx missing\\Start.exe")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
}

TEST(QuoteCommandPath, WrapsThePathInDoubleQuotes) {
    EXPECT_EQ(L"\"D:\\Program Files\\Vexmora\\Start.exe\"", QuoteCommandPath(L"D:\\Program Files\\Vexmora\\Start.exe"));
}
