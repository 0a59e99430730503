#pragma once
// Carrying out an undo plan on the machine. Registry keys are opened without a view
// flag: like the setup, this is a 32-bit program, so it finds its machine keys where
// the setup put them.
#include <windows.h>
#include <string>
#include <vector>
#include "UndoPlan.h"

namespace undo {

enum class Outcome {
    Done,          // removed
    AlreadyGone,   // nothing there to remove
    KeptNotEmpty,  // a folder or key that holds something the install did not make
    Refused,       // a path that passes through a link made after the install
    Failed,        // the system refused; `error` says why
};

struct StepResult {
    Step step;
    Outcome outcome;
    DWORD error = 0;
};

// Runs every step in order; a step that fails never stops the next one.
std::vector<StepResult> RunUndoPlan(const Plan& plan);

// The places that the plan trusts, as this machine has them: the uninstaller's own
// folder (long form) and the all-users and current user Programs and desktop folders.
Places CurrentPlaces();

// Removes one folder when it is empty: Done, AlreadyGone, KeptNotEmpty or Failed.
Outcome RemoveFolderIfEmpty(const std::wstring& folder, DWORD& error);

}  // namespace undo
