#pragma once
// Carrying out an undo plan on the machine. Registry keys are opened in the 32-bit view
// (base/RegistryView.h), where every release of the setup put its machine keys.
#include <windows.h>
#include <string>
#include <vector>
#include "journal/UndoPlan.h"

namespace undo {

enum class Outcome {
    Done,          // removed
    AlreadyGone,   // nothing there to remove
    KeptNotEmpty,  // a folder or key that holds something the install did not make
    Refused,       // a path that leads through a link, or a link at the name
    Failed,        // the system refused; `error` says why
};

struct StepResult {
    Step step;
    Outcome outcome;
    DWORD error = 0;
};

// Runs every step in order; a step that fails never stops the next one. Paths inside
// `plan.installFolder` must be link-free from the drive root (see below).
std::vector<StepResult> RunUndoPlan(const Plan& plan);

// The places that the plan trusts, as this machine has them: the uninstaller's own
// folder (long form) and the all-users and current user Programs and desktop folders.
Places CurrentPlaces();
// The same with the given install folder (the one a setup run unpacks into).
Places PlacesFor(const std::wstring& installFolder);

// Every delete goes through a handle opened without following a link at the last level,
// and only when that handle leads exactly where the path says (FinalPathOf): a folder on
// the way swapped for a junction, or a link standing at the name, gives Refused. Steps
// inside the install folder, and the install folder and the folders above it, must be
// link-free from the drive root; below the Programs and desktop folders only the part
// after that folder is.

// Removes one folder when it is empty: Done, AlreadyGone, KeptNotEmpty, Refused or Failed.
Outcome RemoveFolderIfEmpty(const std::wstring& folder, DWORD& error);

// Deletes one file: Done, AlreadyGone, Refused or Failed.
Outcome RemoveFileAsNamed(const std::wstring& file, DWORD& error);

// True when the file of a RemoveFile step is there and leads where the journal says, by
// the same check as a delete's, made without asking for delete access (which a program
// that holds the file may deny).
bool FileStepInPlace(const Step& step, const std::wstring& installFolder);

}  // namespace undo
