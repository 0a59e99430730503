#pragma once
// What the uninstaller tells the user after an interactive run.
#include <string>
#include <vector>
#include "journal/UndoLeftovers.h"
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"

namespace undo {

struct Report {
    bool clean = true;   // nothing refused, nothing failed
    std::wstring text;   // the message shown
};

// Lists refused records, steps that failed (files in use marked for deletion at the
// next restart are said to be so) and folders or keys kept because something else is in
// them (at most 20 lines, then a count of the rest); when the uninstall entry was kept,
// ends by saying how to finish the uninstall.
Report MakeReport(const Plan& plan, const std::vector<StepResult>& results, const Leftovers& leftovers = {});

}  // namespace undo
