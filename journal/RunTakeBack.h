#pragma once
// Taking back an install run that was not finished (journal/RunTransaction.h), by the same
// planner and runner as an uninstall, with the same trust model and link checks
// (journal/UndoPlan.h, journal/UndoRun.h): the run's records undone newest first, so that
// what it made goes before what it moved aside comes home and the values it changed get
// their old data again; the folders it made go last, innermost first, when empty. The
// setup takes back a run of its own that failed; the next setup, and the client's
// uninstaller, take back one that was ended from outside, before anything else.
//
// Failure contract: never throws but out of memory, never shows anything; the outcome
// says what is left. The journal then holds what it held before the run, and, when not
// everything could be taken back, the run's records that were not (after its begin
// record), for the next attempt.
#include <string>
#include <string_view>
#include <vector>

namespace undo {

struct RunTakenBack {
    bool found = false;      // there was a run to take back
    bool complete = false;   // all of it was taken back (or its objects were already gone)
    std::vector<std::wstring> left;  // what stays: paths or records, newest first
};

// Takes back the run whose records are `run` (its begin record first) in `installFolder`,
// whose journal held `before` when the run began; stores the journal as described above.
RunTakenBack TakeBackRun(const std::wstring& installFolder, std::string_view before, std::string_view run);

// The same for the run that the journal files of `installFolder` hold, if any.
RunTakenBack TakeBackUnfinishedRun(const std::wstring& installFolder);

}  // namespace undo
