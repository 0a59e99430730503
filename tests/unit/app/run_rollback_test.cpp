// Taking back an unfinished run (engine/RunRollback.h) on real folders, files and values:
// the run's own records go newest first, the folders it made go last; what it moved
// aside comes home and what it changed gets its old data, and the earlier journal stays.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "engine/InstallState.h"
#include "base/pure/ProductNames.h"
#include "engine/RegistryRead.h"
#include "engine/RegistryWrite.h"
#include "engine/RunBackup.h"
#include "engine/RunRollback.h"
#include "engine/SystemInfo.h"
#include "base/RegistryView.h"
#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
#include "journal/RunTransaction.h"
#include "scratch.h"

namespace {

void Make(const std::wstring& file) { std::ofstream(std::filesystem::path(file)) << "x"; }
void Write(const std::wstring& file, const std::string& bytes) {
    std::ofstream(std::filesystem::path(file), std::ios::binary | std::ios::trunc) << bytes;
}
std::string ReadBytes(const std::wstring& file) {
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<none>");
}

// The current user's log-on value, one the journal may restore: set for the test and put
// back afterwards.
class RunValue {
public:
    explicit RunValue(const std::wstring& data) {
        had_ = ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue, old_);
        EXPECT_TRUE(SetRegString(HKEY_CURRENT_USER, kRunKey, kRunValue, data, nullptr));
    }
    ~RunValue() {
        if (had_) {
            SetRegString(HKEY_CURRENT_USER, kRunKey, kRunValue, old_, nullptr);
        } else {
            DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
        }
    }
    std::wstring value() const {
        CUIString now;
        return ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue, now) ? std::wstring(now) : L"<none>";
    }

private:
    bool had_ = false;
    CUIString old_;
};

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

// An update taken back: the earlier installation's files that the run moved aside come
// home byte for byte, a value it changed gets its old data again, what the run made goes,
// and the earlier journal is not even rewritten. Taken back at once by the run's own
// process, or later from the journal files alone (the process was killed), with the same
// result.
TEST(RollBackRun, AnUpdateTakenBackLeavesTheEarlierInstallationAsItWas) {
    for (const bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "killed, then taken back from its files" : "taken back by the run");
        ScratchFolder scratch(L"fxrollback");
        const std::wstring folder = scratch / L"Vex", sub = folder + L"\\sub";
        for (const std::wstring& level : {folder, sub}) ASSERT_TRUE(::CreateDirectoryW(level.c_str(), nullptr));
        const std::wstring replaced = folder + L"\\Start.exe", kept = sub + L"\\kept.dat", added = sub + L"\\new.dat";
        Write(replaced, "version 1");
        Write(kept, "version 1, not in version 2's payload");
        const std::wstring entry = UninstallKeyPath();
        {
            InstallJournal earlier;  // version 1's journal, finished
            earlier.open(folder + L"\\uninstall");
            for (const std::wstring& file : {replaced, kept}) earlier.recordFile(file);
            ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, entry, L"DisplayVersion", L"1", &earlier));
        }
        const std::string earlierJournal = ReadBytes(folder + L"\\uninstallE");
        RunValue run(L"version 1's start");

        RunInto update(folder);
        ASSERT_TRUE(update.state.journal->begin(folder));
        update.state.journal->recordFile(added);
        Write(added, "version 2");
        ASSERT_TRUE(MoveAside(update.state, replaced));
        update.state.journal->recordFile(replaced);
        Write(replaced, "version 2");
        ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kRunKey, kRunValue, L"version 2's start",
                                 update.state.journal.get()));
        // The uninstall entry's key, which holds version 1's values again once they are
        // written back, is as it was: nothing of the run is left there.
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, entry, L"DisplayVersion", L"2", update.state.journal.get()));

        RollbackOutcome outcome;
        if (killed) {
            update.state.journal->close();  // what the end of the process does: the run stays apart
            outcome = RollBackUnfinishedRun(folder);
        } else {
            outcome = RollBackRun(update.state);
        }
        EXPECT_TRUE(outcome.rolledBack);
        EXPECT_TRUE(outcome.complete);
        EXPECT_EQ(ReadBytes(replaced), "version 1");
        EXPECT_EQ(ReadBytes(kept), "version 1, not in version 2's payload");
        EXPECT_FALSE(Exists(added));
        EXPECT_EQ(run.value(), L"version 1's start");
        CUIString version;
        EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, entry.c_str(), L"DisplayVersion", version));
        EXPECT_EQ(std::wstring(version), L"1");
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, entry.c_str(), kRegistryView, 0);
        EXPECT_EQ(ReadBytes(folder + L"\\uninstallE"), earlierJournal);
        EXPECT_FALSE(Exists(folder + L"\\uninstall"));
        EXPECT_FALSE(Exists(folder + L"\\uninstall.backup"));
    }
}

// What cannot be taken back now (a file another program holds) stays recorded after the
// run's begin record: the run is still unfinished, and the next attempt takes back the rest.
TEST(RollBackRun, WhatCannotBeTakenBackStaysForTheNextAttempt) {
    ScratchFolder scratch(L"fxrollback");
    const std::wstring folder = scratch / L"Vex";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring earlierFile = folder + L"\\Start.exe", held = folder + L"\\held.dll";
    Write(earlierFile, "version 1");
    {
        InstallJournal earlier;
        earlier.open(folder + L"\\uninstall");
        earlier.recordFile(earlierFile);
    }
    RunInto update(folder);
    ASSERT_TRUE(update.state.journal->begin(folder));
    update.state.journal->recordFile(held);
    Write(held, "version 2");
    ASSERT_TRUE(MoveAside(update.state, earlierFile));
    update.state.journal->recordFile(earlierFile);
    Write(earlierFile, "version 2");
    UniqueFile holder(::CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);

    const RollbackOutcome first = RollBackRun(update.state);
    EXPECT_FALSE(first.complete);
    EXPECT_EQ(first.left, std::vector<std::wstring>{held});
    EXPECT_EQ(ReadBytes(earlierFile), "version 1") << "what could be taken back was";
    EXPECT_TRUE(journal::SplitAtRun(ReadStoredJournal(folder + L"\\uninstall").text).pending);

    holder.reset();
    const RollbackOutcome second = RollBackUnfinishedRun(folder);
    EXPECT_TRUE(second.rolledBack);
    EXPECT_TRUE(second.complete);
    EXPECT_FALSE(Exists(held));
    EXPECT_EQ(ReadStoredJournal(folder + L"\\uninstall").text, journal::FileRecord(earlierFile));
    EXPECT_EQ(RollBackUnfinishedRun(folder).rolledBack, false) << "nothing unfinished is left";
}

// The commit's point is the plain journal's deletion: a process ended before it leaves a
// run that is taken back from the plain journal, the encrypted one as it was (a draft of
// the new one beside it is not read); ended after it, before the draft took the encrypted
// journal's name, the draft is the journal and no run is left to take back.
TEST(CommitRun, EndedOnEitherSideOfItsPointLeavesOneJournal) {
    ScratchFolder scratch(L"fxrollback");
    const std::wstring folder = scratch / L"Vex", plain = folder + L"\\uninstall", file = folder + L"\\Start.exe";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    {
        InstallJournal earlier;
        earlier.open(plain);
        earlier.recordFile(file);
    }
    {
        InstallJournal run;  // a run ended after its draft was written
        run.open(plain);
        ASSERT_TRUE(run.begin(folder));
        run.recordFile(file);
        ASSERT_TRUE(WriteEncryptedDraft(CipherJournalPath(plain), journal::FileRecord(file) + "F D:\\new\r\n"));
    }
    StoredJournal stored = ReadStoredJournal(plain);
    EXPECT_EQ(stored.cipherText, journal::FileRecord(file));
    EXPECT_TRUE(journal::SplitAtRun(stored.text).pending);

    ASSERT_TRUE(::DeleteFileW(plain.c_str()));
    stored = ReadStoredJournal(plain);
    EXPECT_EQ(stored.text, journal::FileRecord(file) + "F D:\\new\r\n");
    EXPECT_FALSE(RollBackUnfinishedRun(folder).rolledBack);
}
