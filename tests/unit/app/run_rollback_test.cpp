// Taking back an unfinished run (engine/RunRollback.h) on real folders and files: the
// run's own records go newest first, the folders it made go last; an earlier run's
// records and files, and files that were there when the run recorded them, stay.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "engine/InstallState.h"
#include "engine/RunRollback.h"
#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
#include "scratch.h"

namespace {

void Make(const std::wstring& file) { std::ofstream(std::filesystem::path(file)) << "x"; }

// A run into `folder`, its journal open.
struct RunInto {
    explicit RunInto(const std::wstring& folder) : state(::GetModuleHandleW(nullptr)) {
        state.installPath = folder;
        state.journal = std::make_unique<InstallJournal>();
        state.journal->open(folder + L"\\uninstall");
    }
    InstallState state;
};

}  // namespace

TEST(RollBackRun, TakesBackEverythingTheRunMadeItsFoldersAndJournalIncluded) {
    ScratchFolder scratch(L"fxrollback");
    const std::wstring above = scratch / L"Mail", folder = above + L"\\Vex", res = folder + L"\\res";
    for (const std::wstring& level : {above, folder, res}) ASSERT_TRUE(::CreateDirectoryW(level.c_str(), nullptr));
    RunInto run(folder);
    // As the start step and the extraction record: folders outermost first, each file
    // before it is made.
    for (const std::wstring& level : {above, folder, res}) run.state.journal->recordFolder(level);
    for (const std::wstring& file : {res + L"\\a.dat", folder + L"\\Start.exe"}) {
        run.state.journal->recordFile(file);
        Make(file);
    }
    run.state.journal->recordFile(folder + L"\\never-made.dat");  // its write failed

    const RollbackOutcome outcome = RollBackRun(run.state);
    EXPECT_TRUE(outcome.rolledBack);
    EXPECT_TRUE(outcome.complete);
    EXPECT_TRUE(outcome.left.empty());
    EXPECT_FALSE(Exists(above)) << "the folders the run made, the journal's files with them";
    EXPECT_TRUE(IsFolder(scratch.path()));
    EXPECT_FALSE(run.state.openJournal());
}

TEST(RollBackRun, LeavesAnEarlierRunsRecordsAndFilesThatWereThereBefore) {
    ScratchFolder scratch(L"fxrollback");
    const std::wstring folder = scratch / L"Vex", res = folder + L"\\res";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring earlierFile = folder + L"\\kept-by-a-program.dat", usersFile = folder + L"\\mine.txt";
    Make(earlierFile);
    Make(usersFile);
    {
        InstallJournal earlier;  // an earlier run's journal, with what it could not undo
        earlier.open(folder + L"\\uninstall");
        earlier.recordFile(earlierFile);
    }
    RunInto run(folder);
    ASSERT_TRUE(::CreateDirectoryW(res.c_str(), nullptr));
    run.state.journal->recordFolder(res);
    // Both were there when the run recorded them (to replace them, or it could not).
    for (const std::wstring& file : {earlierFile, usersFile}) run.state.journal->recordFile(file);
    // A file the run made, whose write failed half way and was asked for again (Retry).
    const std::wstring retried = res + L"\\a.dat";
    run.state.journal->recordFile(retried);
    Make(retried);
    run.state.journal->recordFile(retried);

    const RollbackOutcome outcome = RollBackRun(run.state);
    EXPECT_TRUE(outcome.complete);
    EXPECT_FALSE(Exists(res)) << "its own file, asked for twice, and its folder";
    EXPECT_TRUE(Exists(earlierFile));
    EXPECT_TRUE(Exists(usersFile));
    EXPECT_EQ(ReadStoredJournal(folder + L"\\uninstall").text, journal::FileRecord(earlierFile));
    EXPECT_FALSE(Exists(folder + L"\\uninstall")) << "the plain journal is finished";
}
