#pragma once
// Taking back an install run that did not complete (Abort in a failure prompt, a damaged
// payload, a full disk, any other extraction failure, a registration that could not be
// written), so that the machine is as it was before the run: an earlier installation it
// ran over included, whose files the run moved aside instead of replacing them and whose
// values and shortcuts it recorded before changing them (journal/RunTransaction.h).
//
// The run's own records (InstallJournal::recordsSinceOpen, kept in memory: a record a
// full disk kept from the plain journal is taken back too) are undone newest first by the
// journal library (journal/RunTakeBack.h), with the same trust model and link checks as
// the client's uninstaller. The journal then holds what it held before the run, untouched
// when nothing of the run is left; what could not be taken back stays recorded after the
// run's begin record, and the next setup or uninstaller tries again.
//
// Failure contract: never throws, never shows anything; the outcome says what is left.
#include <string>
#include <vector>
#include "engine/InstallState.h"

struct RollbackOutcome {
    bool rolledBack = false;          // there was a run to take back
    // Every record of the run was undone (or its object was already gone).
    bool complete = false;
    // What could not be taken back: paths, newest first. Empty when complete.
    std::vector<std::wstring> left;
};

// Closes the run's journal (`state.journal`) and takes the run back; nothing when no
// journal is open. The journal cannot be used for further records afterwards.
RollbackOutcome RollBackRun(InstallState& state) noexcept;

// Takes back a run that an earlier setup process left unfinished in `installFolder` (it
// was killed, or the session ended): nothing when its journal holds none, and nothing
// (logged) when others than SYSTEM, Administrators and TrustedInstaller could change the
// folder or a journal file, or one is a link: such records are no run of the setup's,
// and following them would move files and write registry values as someone else says.
RollbackOutcome RollBackUnfinishedRun(const std::wstring& installFolder) noexcept;
