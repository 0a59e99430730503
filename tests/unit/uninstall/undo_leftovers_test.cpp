// What an uninstall that could not undo everything leaves for a later attempt: the journal
// rewritten with exactly the records not undone, the uninstall entry kept back while
// anything failed, files in use marked for deletion at restart, and the report saying so.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "journal/JournalDecrypt.h"
#include "journal/JournalRecord.h"
#include "journal/UndoLeftovers.h"
#include "payload/uninstall/UndoReport.h"
#include "base/Handles.h"

namespace fs = std::filesystem;

namespace {

void Write(const std::wstring& path, const char* text) { std::ofstream(fs::path(path), std::ios::binary) << text; }

using undo::Action;
using undo::Outcome;

const std::wstring kUninstall64 =
    L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版";

class UndoLeftoversTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        above_ = fs::path(temp) / (L"undo-left-" + std::to_wstring(::GetCurrentProcessId()));
        install_ = above_ / L"VexmoraZevlo邮箱";
        fs::remove_all(above_);
        fs::create_directories(install_ / L"res");
    }
    void TearDown() override { fs::remove_all(above_); }

    std::wstring At(const std::wstring& relative) const { return (install_ / relative).wstring(); }
    undo::Places Here() const { return {install_.wstring(), {}, {}}; }

    // The journal of a small install: the folder above, the install folder, a folder with
    // a file, a file at the top, then the uninstall entry's values.
    std::string Journal() const {
        return journal::FolderRecord(above_.wstring()) + journal::FolderRecord(install_.wstring()) +
               journal::FolderRecord(At(L"res")) + journal::FileRecord(At(L"res\\skin.dll")) +
               journal::FileRecord(At(L"Start.exe")) +
               journal::ValueRecord(journal::kRootLocalMachine, kUninstall64, L"UninstallString") +
               journal::ValueRecord(journal::kRootLocalMachine, kUninstall64, L"DisplayName");
    }

    fs::path above_, install_;
};

// A file held by a running program: it and what holds it stay in the journal, with the
// folders around it and the uninstall entry, which is not touched; the rest goes.
TEST_F(UndoLeftoversTest, AFileInUseKeepsItsRecordTheFoldersAroundItAndTheEntry) {
    const std::wstring held = At(L"res\\skin.dll"), start = At(L"Start.exe");
    Write(held, "x");
    Write(start, "x");
    const std::string text = Journal();
    const undo::Plan plan = undo::MakeUndoPlan(text, Here());
    UniqueFile holder(::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());

    const undo::UndoOutcome outcome = undo::RunUndo(plan);
    ASSERT_EQ(outcome.results.size(), 3u) << "the entry's two values are kept back";
    EXPECT_EQ(outcome.keptBack.size(), 3u) << "its values and its key";
    EXPECT_TRUE(fs::exists(held));
    EXPECT_FALSE(fs::exists(start));
    EXPECT_EQ(undo::LeftoverRecords(text, plan, outcome),
              journal::FolderRecord(above_.wstring()) + journal::FolderRecord(install_.wstring()) +
                  journal::FolderRecord(At(L"res")) + journal::FileRecord(held) +
                  journal::ValueRecord(journal::kRootLocalMachine, kUninstall64, L"UninstallString") +
                  journal::ValueRecord(journal::kRootLocalMachine, kUninstall64, L"DisplayName"));

    const std::vector<std::wstring> marked = undo::RemoveAtRestart(outcome.results, plan.installFolder);
    EXPECT_EQ(marked, std::vector<std::wstring>{held});
    undo::Leftovers leftovers{marked, true};
    const undo::Report report = undo::MakeReport(plan, outcome.results, leftovers);
    EXPECT_FALSE(report.clean);
    EXPECT_EQ(report.text.find(L"VexmoraZevlo邮箱 尚未完全卸载，以下项目未删除："), 0u);
    EXPECT_NE(report.text.find(held + L"（正在使用，将在重新启动计算机后删除）"), std::wstring::npos) << journal::Utf16ToUtf8(report.text);
    EXPECT_NE(report.text.find(L"“程序和功能”中再次卸载"), std::wstring::npos);

    // Once the program has let go, a second attempt with the rewritten journal finishes.
    holder.reset();
    const std::string left = undo::LeftoverRecords(text, plan, outcome);
    const undo::Plan again = undo::MakeUndoPlan(left, Here());
    const undo::UndoOutcome second = undo::RunUndo(again);
    EXPECT_TRUE(second.keptBack.empty());
    EXPECT_FALSE(fs::exists(At(L"res")));
    EXPECT_EQ(undo::LeftoverRecords(left, again, second), "");
}

// The restart deletes by name, unchecked: only a file that leads where its record says
// now is left to it. Here a folder stands at the name of a file whose removal failed.
TEST_F(UndoLeftoversTest, NothingButTheRecordedFileIsLeftToTheRestart) {
    undo::Step step{Action::RemoveFile, 4, At(L"res"), 0, L"", 0};
    EXPECT_TRUE(undo::RemoveAtRestart({{step, Outcome::Failed, ERROR_SHARING_VIOLATION}}, install_.wstring()).empty());
}

TEST_F(UndoLeftoversTest, NothingIsLeftWhenEverythingWasUndoneOrKeptForTheUser) {
    Write(At(L"res\\mine.txt"), "the user's");
    const std::string text = Journal();
    const undo::Plan plan = undo::MakeUndoPlan(text, Here());
    const undo::UndoOutcome outcome = undo::RunUndo(plan);
    EXPECT_TRUE(outcome.keptBack.empty());
    EXPECT_EQ(undo::LeftoverRecords(text, plan, outcome), "");
    EXPECT_TRUE(undo::RemoveAtRestart(outcome.results, plan.installFolder).empty());
}

// A refused record is not undone, so it is not forgotten either; the entry still goes.
TEST_F(UndoLeftoversTest, ARefusedRecordStaysWithTheFoldersItKeeps) {
    const std::string planted = journal::FileRecord(L"C:\\windows\\win.ini");
    const std::string text = Journal() + planted;
    const undo::Plan plan = undo::MakeUndoPlan(text, Here());
    const undo::UndoOutcome outcome = undo::RunUndo(plan);
    EXPECT_TRUE(outcome.keptBack.empty());
    EXPECT_EQ(undo::LeftoverRecords(text, plan, outcome),
              journal::FolderRecord(above_.wstring()) + journal::FolderRecord(install_.wstring()) + planted);
}

TEST_F(UndoLeftoversTest, TheLeftoverJournalReplacesBothFilesOrNoneStays) {
    const std::wstring plain = At(L"uninstall"), cipher = At(L"uninstallE");
    Write(plain, "F C:\\x\r\n");
    Write(cipher, "older");
    ASSERT_TRUE(undo::StoreLeftoverJournal(install_.wstring(), "F C:\\left\r\n"));
    EXPECT_FALSE(fs::exists(plain));
    std::string stored;
    ASSERT_TRUE(DecryptJournalFile(cipher, stored));
    EXPECT_EQ(stored, "F C:\\left\r\n");

    Write(plain, "F C:\\x\r\n");
    ASSERT_TRUE(undo::StoreLeftoverJournal(install_.wstring(), ""));
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(cipher));
}

}  // namespace
