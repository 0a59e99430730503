#pragma once
// An install run as one transaction in the journal of its install folder, free of
// <windows.h>. A run begins with a "T" record and, until it is finished, everything it
// changes is recorded so that it can be taken back: what it makes (D, F, R, r), the files
// it moves aside instead of replacing or deleting them (B), and the registry values as
// they were before it changed them (V). Finishing the run (the setup's commit) deletes the
// backups and rewrites the journal as the installation's, without T, B and V. So a journal
// that holds a T holds a run that was not finished: one that failed and could not be taken
// back completely, or one that was ended from outside (killed, logged off). The next setup
// and the client's uninstaller take it back before anything else.
#include <string>
#include <string_view>

namespace journal {

struct RunSplit {
    bool pending = false;  // the journal holds a run that was not finished
    std::string before;    // the records before the run's begin record (the installation it ran over)
    std::string run;       // the run's records, its begin record first
};

// Splits `text` at its last begin record; without one, everything is `before`. Every line
// ends with CR LF; a line cut short at the end is left out.
RunSplit SplitAtRun(std::string_view text);

// The records of a finished run as the installation's journal keeps them: a file moved
// aside ("B <original>|<backup>") now has the run's new file at its name, so it becomes
// "F <original>"; begin records and old values (T, V) go. Order is kept, each record once,
// at its last place.
std::string FinishedRunRecords(std::string_view run);

}  // namespace journal
