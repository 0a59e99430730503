#include "engine/RunRollback.h"

#include "journal/RunTakeBack.h"

namespace {

RollbackOutcome Outcome(const undo::RunTakenBack& taken) {
    RollbackOutcome outcome;
    outcome.rolledBack = taken.found;
    outcome.complete = taken.complete;
    outcome.left = taken.left;
    return outcome;
}

}  // namespace

RollbackOutcome RollBackRun(InstallState& state) noexcept {
    InstallJournal* journal = state.openJournal();
    if (!journal) return {};
    try {
        const std::string before = journal->recordsBeforeOpen();
        const std::string run = journal->recordsSinceOpen();
        const std::wstring plainPath = journal->path();
        // Closed first: during a run this only flushes, and the records stay in the plain
        // journal, where the next setup and the uninstaller find them should anything
        // below fail.
        journal->close();
        return Outcome(undo::TakeBackRun(plainPath.substr(0, plainPath.rfind(L'\\')), before, run));
    } catch (...) {  // out of memory: what was not reached stays recorded
        RollbackOutcome failed;
        failed.rolledBack = true;
        return failed;
    }
}

RollbackOutcome RollBackUnfinishedRun(const std::wstring& installFolder) noexcept {
    try {
        return Outcome(undo::TakeBackUnfinishedRun(installFolder));
    } catch (...) {
        RollbackOutcome failed;
        failed.rolledBack = true;
        return failed;
    }
}
