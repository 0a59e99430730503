#include "engine/RunRollback.h"

#include <windows.h>

#include "engine/FileTrust.h"
#include "engine/SetupLog.h"
#include "journal/JournalFiles.h"
#include "journal/RunTakeBack.h"

namespace {

// Taking a run back moves files and writes registry values as its records say: only
// records that no one but administrators could have written are followed. The folder
// and each journal file that is there must be theirs alone (engine/FileTrust.h).
bool JournalOfAdministrators(const std::wstring& installFolder) {
    if (!AdministratorsOnly(installFolder, true)) return false;
    const std::wstring plain = installFolder + L"\\" + kPlainJournalName;
    for (const std::wstring& file : {plain, CipherJournalPath(plain), CipherJournalPath(plain) + kCipherDraftSuffix})
        if (::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES && !AdministratorsOnly(file, false))
            return false;
    return true;
}

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
        if (!JournalOfAdministrators(installFolder)) {
            LogStep(L"Journal others could change, no run in it taken back: " + installFolder);
            return {};
        }
        return Outcome(undo::TakeBackUnfinishedRun(installFolder));
    } catch (...) {
        RollbackOutcome failed;
        failed.rolledBack = true;
        return failed;
    }
}
