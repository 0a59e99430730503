// How the uninstaller reads its command line, and the helper command that removes it.
#include <gtest/gtest.h>

#include "payload/uninstall/Invocation.h"

namespace {

TEST(RunMode, OnlyTheExactArgumentsTrueAndSlashSMakeARunSilent) {
    using undo::RunMode;
    struct Case { const wchar_t* line; RunMode mode; };
    const Case cases[] = {
        {L" true", RunMode::ForSetup},                                  // as the setup starts it
        {L"C:\\inst\\uninstall.exe true", RunMode::ForSetup},           // typed by hand
        {L"\"D:\\Program Files\\邮箱\\uninstall.exe\" true", RunMode::ForSetup},
        {L"\"D:\\Program Files\\邮箱\\uninstall.exe\"  TRUE  ", RunMode::ForSetup},
        // The uninstall entry's quiet command, as the system or a deployment tool runs it.
        {L"\"D:\\Program Files\\邮箱\\uninstall.exe\" /S", RunMode::Quiet},
        {L"\"D:\\Program Files\\邮箱\\uninstall.exe\"/S", RunMode::Quiet},
        {L"C:\\inst\\uninstall.exe /s ", RunMode::Quiet},
        {L" /S", RunMode::Quiet},
        {L"", RunMode::Interactive},
        {L" ", RunMode::Interactive},
        {L"C:\\inst\\uninstall.exe", RunMode::Interactive},
        {L"\"D:\\my true\\uninstall.exe\"", RunMode::Interactive},          // "true" inside the path
        {L"\"D:\\a /S\\uninstall.exe\"", RunMode::Interactive},             // "/S" inside the path
        {L"D:\\true", RunMode::Interactive},
        {L" true false", RunMode::Interactive},
        {L" truee", RunMode::Interactive},
        {L" /true", RunMode::Interactive},
        {L" /S true", RunMode::Interactive},
        {L" /SILENT", RunMode::Interactive},
        {L" -S", RunMode::Interactive},
        {L" S", RunMode::Interactive},
        {L"\"D:\\unterminated true", RunMode::Interactive},
        {L"\"D:\\unterminated /S", RunMode::Interactive},
    };
    for (const Case& c : cases) EXPECT_EQ(undo::ReadRunMode(c.line), c.mode) << c.line;
}

constexpr wchar_t kPing[] = L"C:\\Windows\\system32\\ping.exe";

TEST(CleanupCommand, DeletesOnlyTheNamedFileThenRemovesEmptyFoldersInnermostFirst) {
    const std::wstring command =
        undo::CleanupCommand(L"D:\\V\\邮箱\\~u.tmp", {L"D:\\V\\邮箱", L"D:\\V"}, 120, kPing);
    EXPECT_EQ(command,
              L"for /l %i in (1,1,120) do (if exist \"D:\\V\\邮箱\\~u.tmp\" (del /f /q \"D:\\V\\邮箱\\~u.tmp\" 2>nul & "
              L"if exist \"D:\\V\\邮箱\\~u.tmp\" \"C:\\Windows\\system32\\ping.exe\" -n 2 127.0.0.1 >nul) "
              L"else (rmdir \"D:\\V\\邮箱\" 2>nul & rmdir \"D:\\V\" 2>nul & exit))");
    EXPECT_EQ(command.find(L"/s"), std::wstring::npos);  // never a folder with its contents
}

TEST(CleanupCommand, WithoutFoldersOnlyTheFileGoes) {
    EXPECT_EQ(undo::CleanupCommand(L"D:\\V\\~u.tmp", {}, 3, kPing),
              L"for /l %i in (1,1,3) do (if exist \"D:\\V\\~u.tmp\" (del /f /q \"D:\\V\\~u.tmp\" 2>nul & "
              L"if exist \"D:\\V\\~u.tmp\" \"C:\\Windows\\system32\\ping.exe\" -n 2 127.0.0.1 >nul) else (exit))");
}

TEST(CleanupCommand, RefusesPathsThatCmdWouldNotTakeLiterally) {
    // "%i" would become the loop counter and "%PATH%" a variable: another path entirely.
    for (const wchar_t* bad : {L"D:\\a%i\\u.tmp", L"D:\\%PATH%\\u.tmp", L"D:\\a\"&del C:\\x\\u.tmp", L"D:\\a!b\\u.tmp",
                               L"D:\\a^b\\u.tmp", L"D:\\*.tmp", L"D:\\a?\\u.tmp", L"D:\\a\nb\\u.tmp", L""}) {
        EXPECT_EQ(undo::CleanupCommand(bad, {}, 5, kPing), L"") << bad;
        EXPECT_EQ(undo::CleanupCommand(L"D:\\V\\u.tmp", {bad}, 5, kPing), L"") << bad;
        EXPECT_EQ(undo::CleanupCommand(L"D:\\V\\u.tmp", {}, 5, bad), L"") << bad;
    }
    EXPECT_EQ(undo::CleanupCommand(L"D:\\V\\u.tmp", {}, 0, kPing), L"");
    // The wait is never a bare name that cmd would look for in its current folder first.
    EXPECT_EQ(undo::CleanupCommand(L"D:\\V\\u.tmp", {}, 5, L"ping"), L"");
    EXPECT_EQ(undo::CleanupCommand(L"D:\\V\\u.tmp", {}, 5, L"ping.exe"), L"");
    // Blanks, brackets and ampersands are plain text inside quotes.
    EXPECT_NE(undo::CleanupCommand(L"C:\\Program Files (x86)\\A&B\\u.tmp", {L"C:\\Program Files (x86)\\A&B"}, 5,
                                   kPing),
              L"");
}

}  // namespace
