// The uninstaller's plan: which journal records it undoes, in which order, and which it
// refuses. A journal is only as trustworthy as the folder it lies in, so every record
// that points anywhere the setup does not write must be refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "journal/JournalRecord.h"
#include "journal/UndoPlan.h"

namespace {

using undo::Action;
using undo::MakeUndoPlan;
using undo::Plan;

const std::wstring kInstall = L"D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱";
const std::wstring kPrograms = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::wstring kUserPrograms = L"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
const std::wstring kDesktop = L"C:\\users\\Public\\Desktop";
const std::wstring kUserDesktop = L"C:\\users\\me\\Desktop";
const std::wstring kAppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.exe";
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kUninstall64 =
    L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版";
const std::wstring kUninstall32 = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版";
constexpr auto HKLM = journal::kRootLocalMachine;
constexpr auto HKCU = journal::kRootCurrentUser;

undo::Places TestPlaces() { return {kInstall, {kPrograms, kUserPrograms}, {kDesktop, kUserDesktop}}; }

Plan PlanOf(const std::string& journalText) { return MakeUndoPlan(journalText, TestPlaces()); }

std::string F(const std::wstring& p) { return journal::FileRecord(p); }
std::string D(const std::wstring& p) { return journal::FolderRecord(p); }
std::string R(std::uint32_t root, const std::wstring& key, const std::wstring& name) {
    return journal::ValueRecord(root, key, name);
}
std::string K(std::uint32_t root, const std::wstring& key) { return journal::KeyRecord(root, key); }

// The journal of a real install: folders and files of the payload, the start menu and
// the desktop shortcut, then the registration's keys and values.
std::string InstallJournal(const std::wstring& uninstallKey) {
    const std::wstring menu = kPrograms + L"\\VexmoraZevlo邮箱";
    std::string j = D(kInstall + L"\\data") + F(kInstall + L"\\Start.exe") + F(kInstall + L"\\uninstall.exe") +
                    F(kInstall + L"\\data\\a.dat") + D(menu) + F(menu + L"\\VexmoraZevlo邮箱.lnk") +
                    F(kDesktop + L"\\VexmoraZevlo邮箱.lnk") + F(menu + L"\\卸载 VexmoraZevlo邮箱.lnk") +
                    K(HKLM, kAppPaths) + R(HKLM, kAppPaths, L"SoftwarePath") + R(HKCU, kRun, L"Vexmora-PC");
    for (const wchar_t* name : {L"UninstallString", L"Publisher", L"DisplayName", L"DisplayVersion", L"DisplayIcon",
                                L"URLInfoAbout"})
        j += R(HKLM, uninstallKey, name);
    return j;
}

std::wstring Describe(const undo::Step& s) {
    static const wchar_t* names[] = {L"F ", L"D ", L"R ", L"r "};
    std::wstring text = names[static_cast<int>(s.action)];
    if (s.action == Action::RemoveValue || s.action == Action::RemoveKeyIfEmpty)
        text += (s.root == HKLM ? L"HKLM " : L"HKCU ");
    text += s.path;
    if (!s.valueName.empty()) text += L"\\" + s.valueName;
    return text;
}

std::vector<std::wstring> Described(const Plan& plan) {
    std::vector<std::wstring> out;
    for (const undo::Step& s : plan.steps) out.push_back(Describe(s));
    return out;
}

TEST(UndoPlan, UndoesARealInstallNewestFirstAndLeavesItsOwnFilesToTheEnd) {
    const Plan plan = PlanOf(InstallJournal(kUninstall64));
    EXPECT_TRUE(plan.refused.empty());
    const std::wstring menu = kPrograms + L"\\VexmoraZevlo邮箱";
    const std::vector<std::wstring> expected = {
        L"R HKLM " + kUninstall64 + L"\\URLInfoAbout",
        L"R HKLM " + kUninstall64 + L"\\DisplayIcon",
        L"R HKLM " + kUninstall64 + L"\\DisplayVersion",
        L"R HKLM " + kUninstall64 + L"\\DisplayName",
        L"R HKLM " + kUninstall64 + L"\\Publisher",
        L"R HKLM " + kUninstall64 + L"\\UninstallString",
        L"R HKCU " + kRun + L"\\Vexmora-PC",
        L"R HKLM " + kAppPaths + L"\\SoftwarePath",
        L"r HKLM " + kAppPaths,
        L"F " + menu + L"\\卸载 VexmoraZevlo邮箱.lnk",
        L"F " + kDesktop + L"\\VexmoraZevlo邮箱.lnk",
        L"F " + menu + L"\\VexmoraZevlo邮箱.lnk",
        L"D " + menu,
        L"F " + kInstall + L"\\data\\a.dat",
        L"F " + kInstall + L"\\Start.exe",
        L"D " + kInstall + L"\\data",
        // The uninstall key was made by the install although only its values are
        // journalled: it goes last, when empty.
        L"r HKLM " + kUninstall64,
    };
    EXPECT_EQ(Described(plan), expected);
    EXPECT_EQ(plan.steps.back().line, 0u);
    EXPECT_EQ(plan.steps.front().line, 17u);
    EXPECT_EQ(plan.lastFolders, std::vector<std::wstring>{kInstall});
}

TEST(UndoPlan, ThirtyTwoBitUninstallKeyIsOwnedToo) {
    const Plan plan = PlanOf(InstallJournal(kUninstall32));
    EXPECT_TRUE(plan.refused.empty());
    EXPECT_EQ(Describe(plan.steps.front()), L"R HKLM " + kUninstall32 + L"\\URLInfoAbout");
    EXPECT_EQ(Describe(plan.steps.back()), L"r HKLM " + kUninstall32);
}

TEST(UndoPlan, FoldersAboveTheInstallFolderGoLastInnermostFirst) {
    const Plan plan = PlanOf(D(L"D:\\Program Files") + D(L"D:\\Program Files\\Vexmora") + D(kInstall) +
                             F(kInstall + L"\\Start.exe"));
    EXPECT_TRUE(plan.refused.empty());
    EXPECT_EQ(Described(plan), std::vector<std::wstring>{L"F " + kInstall + L"\\Start.exe"});
    EXPECT_EQ(plan.lastFolders,
              (std::vector<std::wstring>{kInstall, L"D:\\Program Files\\Vexmora", L"D:\\Program Files"}));
}

TEST(UndoPlan, ComparesPlacesIgnoringLetterCaseButKeepsTheJournalsSpelling) {
    const Plan plan = PlanOf(F(L"d:\\PROGRAM FILES\\vexmora\\VexmoraZevlo邮箱\\Start.exe") +
                             R(HKLM, L"SOFTWARE\\microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.EXE",
                               L"SoftwarePath"));
    ASSERT_TRUE(plan.refused.empty());
    EXPECT_EQ(Described(plan), (std::vector<std::wstring>{L"R HKLM " + kAppPaths + L"\\SoftwarePath",
                                                          L"F d:\\PROGRAM FILES\\vexmora\\VexmoraZevlo邮箱\\Start.exe"}));
}

TEST(UndoPlan, RecordsOfTheUninstallersOwnFilesAreLeftToItsSelfRemoval) {
    // Also when a tampered journal calls them folders.
    const Plan plan = PlanOf(F(kInstall + L"\\uninstall.exe") + F(kInstall + L"\\UNINSTALLE") +
                             F(kInstall + L"\\uninstall-ran.txt") + F(kInstall + L"\\sub\\uninstall.exe") +
                             D(kInstall + L"\\uninstall.exe") + D(kInstall + L"\\uninstallE"));
    EXPECT_TRUE(plan.refused.empty());
    EXPECT_EQ(Described(plan), std::vector<std::wstring>{L"F " + kInstall + L"\\sub\\uninstall.exe"});
}

TEST(UndoPlan, AnchorsMarkTheTrustedFolderOfEachPathStep) {
    const Plan plan = PlanOf(F(kInstall + L"\\a\\b.dll") + F(kUserDesktop + L"\\VexmoraFM.lnk") +
                             D(kUserPrograms + L"\\VexmoraFM"));
    ASSERT_EQ(plan.steps.size(), 3u);
    EXPECT_EQ(plan.steps[0].anchor, kUserPrograms.size());
    EXPECT_EQ(plan.steps[1].anchor, kUserDesktop.size());
    EXPECT_EQ(plan.steps[2].anchor, kInstall.size());
}

struct TamperCase {
    const char* what;
    std::string record;
};

class TamperedJournal : public ::testing::TestWithParam<TamperCase> {};

TEST_P(TamperedJournal, RecordIsRefusedAndNothingElseIsLost) {
    // A good record on each side: refusing one line never drops its neighbours.
    const std::string good1 = F(kInstall + L"\\Start.exe");
    const std::string good2 = R(HKLM, kAppPaths, L"SoftwarePath");
    const Plan plan = PlanOf(good1 + GetParam().record + good2);
    ASSERT_EQ(plan.refused.size(), 1u) << GetParam().what;
    EXPECT_EQ(plan.refused[0].line, 2u);
    EXPECT_FALSE(plan.refused[0].reason.empty());
    EXPECT_EQ(Described(plan), (std::vector<std::wstring>{L"R HKLM " + kAppPaths + L"\\SoftwarePath",
                                                          L"F " + kInstall + L"\\Start.exe"}))
        << GetParam().what;
    EXPECT_EQ(plan.lastFolders, std::vector<std::wstring>{kInstall});
}

const TamperCase kTampered[] = {
    {"a system file", F(L"C:\\windows\\system32\\kernel32.dll")},
    {"the windows folder", D(L"C:\\windows")},
    {"a folder in the windows folder", D(L"C:\\windows\\Temp")},
    {"a drive root", D(L"C:\\")},
    {"a relative path", "F Start.exe\r\n"},
    {"a path relative to the drive", "F D:Start.exe\r\n"},
    {"a rooted path without drive", "F \\windows\\win.ini\r\n"},
    {"a network path", F(L"\\\\server\\share\\x.dll")},
    {"dot-dot out of the install folder", F(kInstall + L"\\..\\..\\..\\windows\\win.ini")},
    {"dot-dot that stays inside by text", F(kInstall + L"\\data\\..\\Start.exe")},
    {"a dot part", F(kInstall + L"\\.\\Start.exe")},
    {"forward slashes", F(kInstall + L"\\data/../../x.dll")},
    {"an empty part", F(kInstall + L"\\\\Start.exe")},
    {"a trailing backslash", D(kInstall + L"\\data\\")},
    {"a part ending in a dot", F(kInstall + L"\\Start.exe.")},
    {"a part ending in a blank", F(kInstall + L"\\data \\a.dat")},
    {"three dots", F(kInstall + L"\\...\\a.dat")},
    {"a device name", F(kInstall + L"\\nul")},
    {"a device name with an extension", F(kInstall + L"\\COM1.txt")},
    {"a stream", F(kInstall + L"\\Start.exe:evil")},
    {"a wildcard", F(kInstall + L"\\*.exe")},
    {"a sibling folder sharing the prefix", F(kInstall + L"2\\Start.exe")},
    {"the install folder deleted as a file", F(kInstall)},
    {"a file above the install folder", F(L"D:\\Program Files\\Vexmora\\other.exe")},
    {"a desktop file that is not a shortcut", F(kDesktop + L"\\notes.txt")},
    {"another program's desktop shortcut", F(kDesktop + L"\\Other Mail.lnk")},
    {"a shortcut in a desktop folder", F(kDesktop + L"\\VexmoraZevlo邮箱\\VexmoraZevlo邮箱.lnk")},
    {"a folder on the desktop", D(kDesktop + L"\\Projects")},
    {"the product's name as a desktop folder", D(kDesktop + L"\\VexmoraZevlo邮箱")},
    {"another program's start-menu folder", D(kPrograms + L"\\Other Mail")},
    {"a folder inside the start-menu folder", D(kPrograms + L"\\VexmoraZevlo邮箱\\sub")},
    {"another program's start-menu shortcut", F(kPrograms + L"\\Other Mail\\Other Mail.lnk")},
    {"a shortcut loose in Programs", F(kPrograms + L"\\VexmoraZevlo邮箱.lnk")},
    {"a file in the start-menu folder that is not a shortcut", F(kPrograms + L"\\VexmoraZevlo邮箱\\run.exe")},
    {"a shortcut deeper in the start-menu folder", F(kPrograms + L"\\VexmoraZevlo邮箱\\sub\\a.lnk")},
    {"the desktop itself", D(kDesktop)},
    {"the start menu Programs folder itself", D(kPrograms)},
    {"a shortcut next to the Programs folder", F(L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\x.lnk")},
    {"another program's Run value", R(HKCU, kRun, L"OneDrive")},
    {"the machine's Run value", R(HKLM, kRun, L"Vexmora-PC")},
    {"the whole Run key", K(HKCU, kRun)},
    {"App Paths under the wrong root", K(HKCU, kAppPaths)},
    {"another App Paths key", K(HKLM, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\cmd.exe")},
    {"a value of another App Paths key",
     R(HKLM, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\cmd.exe", L"Path")},
    {"the parent of the App Paths key", K(HKLM, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths")},
    {"a subkey of the uninstall key", K(HKLM, kUninstall64 + L"\\sub")},
    {"the Software key", K(HKLM, L"Software")},
    {"an unknown root", "r 2147483651 " + journal::Utf16ToUtf8(kAppPaths) + "\r\n"},
    {"a value without a name", "R 2147483650 " + journal::Utf16ToUtf8(kAppPaths) + "\\\r\n"},
    {"an unknown letter", "X " + journal::Utf16ToUtf8(kInstall) + "\\Start.exe\r\n"},
    {"broken UTF-8", "F D:\\\xff\xfe.dll\r\n"},
};
INSTANTIATE_TEST_SUITE_P(Records, TamperedJournal, ::testing::ValuesIn(kTampered));

TEST(UndoPlan, ABareLineFeedIsNoLineEndAndTheMergedLineIsRefusedWhole) {
    const Plan plan = PlanOf("F C:\\windows\\win.ini\n" + F(kInstall + L"\\Start.exe"));
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_TRUE(plan.steps.empty());
}

TEST(UndoPlan, AnUnterminatedLastLineIsRefused) {
    const std::string cut = F(kInstall + L"\\Start.exe") + "F " + journal::Utf16ToUtf8(kInstall) + "\\dat";
    const Plan plan = PlanOf(cut);
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_EQ(plan.refused[0].line, 2u);
    EXPECT_EQ(plan.steps.size(), 1u);
}

TEST(UndoPlan, WithoutAUsableInstallFolderNothingInsideIsTrusted) {
    for (const wchar_t* folder : {L"", L"D:", L"D:\\", L"relative\\folder", L"D:\\a\\..\\b"}) {
        const Plan plan = MakeUndoPlan(F(std::wstring(folder) + L"\\Start.exe") + D(L"D:\\a"),
                                       {folder, {kPrograms}, {kDesktop}});
        EXPECT_TRUE(plan.steps.empty()) << folder;
        EXPECT_EQ(plan.refused.size(), 2u) << folder;
        EXPECT_TRUE(plan.lastFolders.empty()) << folder;
    }
}

TEST(UndoPlan, TheFallbackMenuNameCountsAsTheProducts) {
    const Plan plan = PlanOf(D(kUserPrograms + L"\\vexmorafm") + F(kUserPrograms + L"\\VexmoraFM\\Uninstall VexmoraFM.lnk") +
                             F(kUserDesktop + L"\\VexmoraFM.LNK"));
    EXPECT_TRUE(plan.refused.empty());
    EXPECT_EQ(plan.steps.size(), 3u);
}

TEST(UndoPlan, ATrailingBackslashOnASystemFolderIsIgnored) {
    const Plan plan = MakeUndoPlan(F(kInstall + L"\\Start.exe") + F(kDesktop + L"\\VexmoraFM.lnk"),
                                   {kInstall + L"\\", {}, {kDesktop + L"\\"}});
    EXPECT_TRUE(plan.refused.empty());
    EXPECT_EQ(plan.steps.size(), 2u);
}

TEST(UndoPlan, LongRefusedRecordsAreCutAtACharacterBoundary) {
    const Plan plan = PlanOf(F(L"C:\\windows\\" + std::wstring(150, L'邮')));
    ASSERT_EQ(plan.refused.size(), 1u);
    const std::string& text = plan.refused[0].text;
    EXPECT_LT(text.size(), 210u);
    EXPECT_EQ(text.substr(text.size() - 3), "...");
    EXPECT_EQ(journal::CheckRecordLine(text.substr(0, text.size() - 3)), "");
}

TEST(PlainAbsolutePath, AcceptsOnlyPlainDrivePaths) {
    EXPECT_TRUE(undo::IsPlainAbsolutePath(L"C:\\a"));
    EXPECT_TRUE(undo::IsPlainAbsolutePath(L"z:\\Program Files (x86)\\a b\\邮箱.v1.exe"));
    EXPECT_TRUE(undo::IsPlainAbsolutePath(L"C:\\a\\.hidden"));
    EXPECT_TRUE(undo::IsPlainAbsolutePath(L"C:\\console\\nullify\\com10"));
    for (const wchar_t* bad : {L"", L"C:", L"C:\\", L"C:a", L"1:\\a", L"C:/a", L"\\\\?\\C:\\a", L"C:\\a\\",
                               L"C:\\a\\\\b", L"C:\\a\\.", L"C:\\a\\..", L"C:\\a.\\b", L"C:\\aux", L"C:\\LPT9.log",
                               L"C:\\con .txt", L"C:\\a|b", L"C:\\a<b", L"C:\\a\"b", L"C:\\a\tb"})
        EXPECT_FALSE(undo::IsPlainAbsolutePath(bad)) << bad;
}

TEST(Utf8ToUtf16, RoundTripsAndReplacesBrokenBytes) {
    // The emoji as UTF-16 spells it, a surrogate pair, also where wchar_t has 32 bits (the
    // native build of these tests).
    const std::wstring text = std::wstring(L"D:\\邮箱\\") + wchar_t(0xD83D) + wchar_t(0xDE00) + L".txt";
    EXPECT_EQ(undo::Utf8ToUtf16(journal::Utf16ToUtf8(text)), text);
    EXPECT_EQ(undo::Utf8ToUtf16("a\xff" "b\xe9\x82"), L"a\uFFFDb\uFFFD");  // a cut sequence is one
}

}  // namespace
