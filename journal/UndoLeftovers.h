#pragma once
// What an uninstall that could not undo everything leaves for a later attempt, beside the
// runner (UndoRun.h), which only carries out steps.
//
// A step that failed (a file that a running program holds, a value the system refused)
// may succeed later; a refused record never will, but is not forgotten either. So the
// journal is rewritten with exactly the records that were not undone, and not deleted:
//  - refused records, failed steps and steps refused at a link;
//  - when anything failed, the uninstall entry: its steps run last and only when all
//    else succeeded, so that Programs and Features can start the uninstaller again, and
//    the uninstaller stays for that;
//  - whenever something is left, the folders and keys kept because something was still
//    in them, and the install folder and the folders above it that the journal names:
//    a later attempt removes them once what held them is gone.
// Files in use are also marked for deletion when Windows restarts, unless the setup ran
// the uninstaller before installing again (the new files take the same names at once).
#include <string>
#include <string_view>
#include <vector>
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"

namespace undo {

struct UndoOutcome {
    std::vector<StepResult> results;  // in the order run
    std::vector<Step> keptBack;       // the uninstall entry's steps, not run because others failed
};

// What the report tells of the leftovers.
struct Leftovers {
    std::vector<std::wstring> atRestart;  // files marked for deletion at the next restart
    bool entryKept = false;               // the uninstall entry, and the uninstaller, stay
};

// True for the steps that remove the uninstall entry (its values, its key).
bool IsEntryStep(const Step& step);

// Runs every step of `plan` but the uninstall entry's, then those only when none failed.
UndoOutcome RunUndo(const Plan& plan);

// The records of `journalText` (the text the plan was made from) that were not undone.
std::string LeftoverRecords(std::string_view journalText, const Plan& plan, const UndoOutcome& outcome);

// Marks each file whose removal failed, and that still leads where its record says
// (FileStepInPlace), for deletion at the next restart; the paths marked.
std::vector<std::wstring> RemoveAtRestart(const std::vector<StepResult>& results, const std::wstring& installFolder);

// Leaves `records` as the journal of `installFolder`: encrypted as "uninstallE", the plain
// journal removed. With no records, both journal files go. Files are removed through
// checked handles (RemoveFileAsNamed): a link at a journal's name, or on the way to it, is
// left alone. False when the encrypted journal could not be written (the old files then
// stay, holding at least these records).
bool StoreLeftoverJournal(const std::wstring& installFolder, std::string_view records);

}  // namespace undo
