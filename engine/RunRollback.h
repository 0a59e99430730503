#pragma once
// Taking back an install run that ended without the extraction-completed flag (Abort in
// a failure prompt, a damaged payload, a full disk, any other extraction failure), so
// that the machine is as it was before the run, but for the earlier installation that
// the run's start had already uninstalled.
//
// The run's own records (InstallJournal::recordsSinceOpen: the folders the start step
// made before the journal opened, the folders and files of the extraction, the "_bak"
// files set aside) are planned and undone newest first by the journal library, with the
// same trust model and link checks as the client's uninstaller (journal/UndoPlan.h,
// journal/UndoRun.h); the install folder and the folders above it that the run made go
// last, when empty. A file that was there when the run recorded it (one the run could
// not, or did, replace; InstallJournal::recordsOfFilesFound) is not the run's: it stays,
// and so does a record of it that an earlier run left. The journal then holds exactly what is left: the records its files
// held when the run opened it (InstallJournal::recordsBeforeOpen), less what the run has
// just undone, and this run's records that could not be undone (a file another program
// holds, a folder that holds something else). With nothing left, both
// journal files go too.
//
// Failure contract: never throws, never shows anything; the outcome says what is left.
#include <string>
#include <vector>
#include "engine/InstallState.h"

struct RollbackOutcome {
    bool rolledBack = false;          // there was a run to take back
    // Every record of the run was undone (or its object was already gone).
    bool complete = false;
    // What could not be removed: paths, newest first. Empty when complete.
    std::vector<std::wstring> left;
};

// Closes the run's journal (`state.journal`) and takes the run back; nothing when no
// journal is open. The journal cannot be used for further records afterwards.
RollbackOutcome RollBackRun(InstallState& state) noexcept;
