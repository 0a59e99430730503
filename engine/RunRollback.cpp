#include "engine/RunRollback.h"

#include <algorithm>

#include "journal/JournalFiles.h"
#include "journal/JournalText.h"
#include "journal/UndoLeftovers.h"
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"
#include "engine/UninstallerFiles.h"

namespace {

bool Kept(undo::Outcome outcome) {
    return outcome == undo::Outcome::Failed || outcome == undo::Outcome::Refused ||
           outcome == undo::Outcome::KeptNotEmpty;
}

RollbackOutcome TakeBack(InstallJournal& journal) {
    RollbackOutcome outcome;
    outcome.rolledBack = true;
    // A file that was there before the run recorded it is not the run's: one it could not
    // replace (another program held it) is the user's or an earlier installation's, and
    // one it did replace cannot get its old content back from here. It is not deleted.
    const std::string own = journal::RecordsNotIn(journal.recordsSinceOpen(), journal.recordsOfFilesFound());
    const std::string earlier = journal.recordsBeforeOpen();
    const std::wstring plainPath = journal.path();
    const std::wstring folder = plainPath.substr(0, plainPath.rfind(L'\\'));
    // Finished first: should anything below fail, the run's records are in the encrypted
    // journal, where the uninstaller and the next run find them.
    journal.close();

    const undo::Plan plan = undo::MakeUndoPlan(own, undo::PlacesFor(folder));
    const undo::UndoOutcome undone = undo::RunUndo(plan);
    for (const undo::StepResult& result : undone.results)
        if (Kept(result.outcome)) outcome.left.push_back(result.step.path);
    for (const undo::Refusal& refusal : plan.refused) outcome.left.push_back(journal::Utf8ToUtf16(refusal.text));
    const std::string ownLeft = undo::LeftoverRecords(own, plan, undone);

    // An encrypted journal that another program holds cannot be rewritten without losing
    // it: everything stays recorded as it is.
    if (ReadStoredJournal(plainPath).cipherHeld) return outcome;
    // What the files held before the run stays, but for what this run has just undone;
    // of the run's own records only those not undone stay.
    const std::string undoneRecords = journal::RecordsNotIn(own, ownLeft);
    const std::string kept = journal::MergeJournals(journal::RecordsNotIn(earlier, undoneRecords), ownLeft);
    if (!undo::StoreLeftoverJournal(folder, kept)) return outcome;
    outcome.complete = outcome.left.empty() && ownLeft.empty();
    if (!kept.empty()) return outcome;

    // An earlier installation's uninstaller, run silently in this folder by the run's
    // start, leaves its note for the setup; with nothing else left it goes too.
    DWORD error = 0;
    undo::RemoveFileAsNamed(folder + L"\\" + kUninstallerNoteName, error);
    // Innermost first, each only when empty, and only those the run made: a folder it
    // found there (an existing install folder the user chose) has no record of this run.
    const std::vector<std::wstring> made = journal::FolderRecordPaths(own);
    for (const std::wstring& level : plan.lastFolders) {
        if (std::none_of(made.begin(), made.end(), [&](const std::wstring& m) { return undo::SameText(m, level); }))
            continue;
        const undo::Outcome removed = undo::RemoveFolderIfEmpty(level, error);
        if (removed == undo::Outcome::Failed || removed == undo::Outcome::Refused) {
            outcome.left.push_back(level);
            outcome.complete = false;
        }
    }
    return outcome;
}

}  // namespace

RollbackOutcome RollBackRun(InstallState& state) noexcept {
    if (!state.openJournal()) return {};
    try {
        return TakeBack(*state.journal);
    } catch (...) {  // out of memory: what was not reached stays recorded
        RollbackOutcome failed;
        failed.rolledBack = true;
        return failed;
    }
}
