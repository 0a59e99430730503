// Carrying out file and folder steps on the real file system of the test prefix, and
// the report the user reads afterwards. (Registry steps run against the real keys of the
// install only, so they are exercised by the system test in a machine of its own.)
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "payload/uninstall/UndoReport.h"
#include "journal/UndoRun.h"

namespace fs = std::filesystem;

namespace {

using undo::Action;
using undo::Outcome;

class UndoRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        root_ = fs::path(temp) / (L"undo-run-" + std::to_wstring(::GetCurrentProcessId()) + L"-邮箱");
        fs::remove_all(root_);
        fs::create_directories(root_ / L"sub");
    }
    void TearDown() override {
        for (auto& entry : fs::recursive_directory_iterator(root_))
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(root_);
    }
    std::wstring Make(const std::wstring& name) {
        std::ofstream(root_ / name) << "x";
        return (root_ / name).wstring();
    }
    undo::Step StepFor(Action action, const std::wstring& path) {
        return {action, 1, path, 0, {}, root_.wstring().size()};
    }
    Outcome Run(const undo::Step& step) {
        undo::Plan plan;
        plan.steps.push_back(step);
        return undo::RunUndoPlan(plan).at(0).outcome;
    }
    fs::path root_;
};

TEST_F(UndoRunTest, FilesGoReadOnlyOnesTooAndMissingOnesAreNoFailure) {
    const std::wstring plain = Make(L"a.dat");
    const std::wstring readOnly = Make(L"sub\\b.dat");
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Run(StepFor(Action::RemoveFile, plain)), Outcome::Done);
    EXPECT_EQ(Run(StepFor(Action::RemoveFile, readOnly)), Outcome::Done);
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(readOnly));
    EXPECT_EQ(Run(StepFor(Action::RemoveFile, plain)), Outcome::AlreadyGone);
    EXPECT_EQ(Run(StepFor(Action::RemoveFile, (root_ / L"nowhere\\c.dat").wstring())), Outcome::AlreadyGone);
}

TEST_F(UndoRunTest, AFileStepNeverRemovesAFolder) {
    EXPECT_EQ(Run(StepFor(Action::RemoveFile, (root_ / L"sub").wstring())), Outcome::Failed);
    EXPECT_TRUE(fs::is_directory(root_ / L"sub"));
}

TEST_F(UndoRunTest, FoldersGoOnlyWhenEmpty) {
    const std::wstring sub = (root_ / L"sub").wstring();
    const std::wstring mine = Make(L"sub\\mine.txt");
    EXPECT_EQ(Run(StepFor(Action::RemoveFolder, sub)), Outcome::KeptNotEmpty);
    EXPECT_TRUE(fs::exists(mine));
    fs::remove(mine);
    EXPECT_EQ(Run(StepFor(Action::RemoveFolder, sub)), Outcome::Done);
    EXPECT_EQ(Run(StepFor(Action::RemoveFolder, sub)), Outcome::AlreadyGone);
}

TEST_F(UndoRunTest, StepsRunInOrderAndAFailureStopsNothing) {
    const std::wstring a = Make(L"sub\\a.dat");
    undo::Plan plan;
    plan.steps = {StepFor(Action::RemoveFile, (root_ / L"sub").wstring()),  // fails: a folder
                  StepFor(Action::RemoveFile, a), StepFor(Action::RemoveFolder, (root_ / L"sub").wstring())};
    const auto results = undo::RunUndoPlan(plan);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].outcome, Outcome::Failed);
    EXPECT_NE(results[0].error, 0u);
    EXPECT_EQ(results[1].outcome, Outcome::Done);
    EXPECT_EQ(results[2].outcome, Outcome::Done);
}

TEST(UndoReport, SaysWhatStayedAndWhy) {
    undo::Plan plan;
    EXPECT_EQ(undo::MakeReport(plan, {}).text, L"VexmoraZevlo邮箱 已成功卸载。");
    EXPECT_TRUE(undo::MakeReport(plan, {}).clean);

    plan.refused.push_back({7, "F C:\\windows\\win.ini", "file outside the places the setup writes to"});
    const undo::Step kept{Action::RemoveFolder, 3, L"D:\\V\\data", 0, {}, 4};
    const undo::Step value{Action::RemoveValue, 9, L"Software\\X", 0x80000001u, L"Vexmora-PC", 0};
    const undo::Report report = undo::MakeReport(
        plan, {{kept, Outcome::KeptNotEmpty, 145}, {value, Outcome::Failed, 5}, {kept, Outcome::Done, 0}});
    EXPECT_FALSE(report.clean);
    EXPECT_EQ(report.text,
              L"VexmoraZevlo邮箱 已卸载，以下项目未删除：\n"
              L"\n安装记录第 7 行不在允许的范围内：F C:\\windows\\win.ini"
              L"\nD:\\V\\data（其中还有其他内容，已保留）"
              L"\nHKEY_CURRENT_USER\\Software\\X\\Vexmora-PC（错误 5）");

    // A folder kept for the user's files is no failure.
    EXPECT_TRUE(undo::MakeReport({}, {{kept, Outcome::KeptNotEmpty, 145}}).clean);
}

TEST(UndoReport, ListsAtMostTwentyLinesAndCountsTheRest) {
    undo::Plan plan;
    for (std::size_t i = 1; i <= 25; ++i) plan.refused.push_back({i, "F C:\\x", "outside"});
    const std::wstring text = undo::MakeReport(plan, {}).text;
    EXPECT_NE(text.find(L"第 20 行"), std::wstring::npos);
    EXPECT_EQ(text.find(L"第 21 行"), std::wstring::npos);
    EXPECT_NE(text.find(L"……以及另外 5 项"), std::wstring::npos);
}

}  // namespace
