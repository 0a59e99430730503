#pragma once
// Finishing an install run whose extraction and registration completed
// (journal/RunTransaction.h): from here on the new installation is the one there is.
//
//  1. The journal becomes the installation's at once (the run's records without T and V,
//     each file moved aside as the new file at its name), with the backups and the
//     earlier installation's records still in it: should this process end during the
//     steps below, everything left is an installed file its uninstaller removes.
//  2. The backups are deleted (one another program holds is deleted at the next
//     restart) and the backup folder goes.
//  3. What the earlier installation has and the new one does not (its files the payload
//     does not carry, values registration no longer writes, folders left empty) is undone
//     by the journal library, with the earlier installation's own trust model; from
//     another folder, its journal, uninstaller and folders go too.
//  4. The machine-wide log-on value, which no installation should have, is deleted, and
//     deletions that an earlier uninstall left for the next restart are cancelled for
//     every file of the new installation.
//  5. The journal is written again without what is gone.
//
// Failure contract: never throws, never shows anything. committed is false only when the
// journal could not be written in step 1 (the run is then still one that can be taken
// back); everything later that fails is named in `left` and stays recorded. Without a
// journal in a run there is nothing to finish: committed, and nothing done.
#include <string>
#include <vector>
#include "engine/InstallState.h"

struct CommitOutcome {
    bool committed = false;
    std::vector<std::wstring> left;  // what could not be removed: paths or records
};

CommitOutcome CommitRun(InstallState& state) noexcept;
