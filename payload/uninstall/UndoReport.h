#pragma once
// What the uninstaller tells the user after an interactive run.
#include <string>
#include <vector>
#include "UndoPlan.h"
#include "UndoRun.h"

namespace undo {

struct Report {
    bool clean = true;   // nothing refused, nothing failed
    std::wstring text;   // the message shown
};

// Lists refused records, steps that failed and folders or keys kept because something
// else is in them (at most 20 lines, then a count of the rest).
Report MakeReport(const Plan& plan, const std::vector<StepResult>& results);

}  // namespace undo
