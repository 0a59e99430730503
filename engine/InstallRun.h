#pragma once
#include <windows.h>
#include <functional>
#include "engine/Extraction.h"
#include "engine/InstallState.h"

// How BeginRun went.
enum class RunStart {
    Begun,
    JournalNotOpened,  // the journal could not be opened or written: nothing was changed
    JournalRefused,    // a link stands at the journal's name, or where it leads cannot be
                       // told (base/CheckedFile.h): nothing was changed, nothing written through it
    EarlierRunLeft,    // a run an earlier setup left unfinished here could not be taken back
};

// Begins an install run as a transaction (journal/RunTransaction.h), before anything of an
// earlier installation is touched: takes back a run that an earlier setup left unfinished
// in the install folder, finalises a journal left open by an earlier run of this process,
// opens the journal at the install folder + "\uninstall" and records the run's begin and
// the folders made before it opened (state.foldersBeforeJournal). Then "SoftwarePath"
// names the install folder (its old value recorded first): whatever ends this run, the
// next setup finds its journal there and takes it back. state.earlierFolder is the folder
// it named before.
//
// In an install folder that others could change before it was taken over
// (state.folderTakenFromOthers) the journal files found there are theirs as much as any
// earlier run's: no run recorded in them is taken back (that would move files and write
// registry values as they say), and they are deleted, through checked handles, before
// the new journal opens.
RunStart BeginRun(InstallState& state);

// What the user and the log are told of a run that could not begin (`start` not Begun):
// strings 150, 163, 164 or the refused link's; empty for Begun.
std::wstring RunNotBegunText(const InstallState& state, RunStart start);

// One install run: stores `window` in the state, begins the run unless it has begun (a
// run that cannot begin ends at once, with RunNotBegunText as its status text), sends
// INSTALL_EVENT_START (without a window: sets the shell extension aside itself, as the
// main window does on that event), then unpacks the payload ("BIN" 227 of the program's
// own module). `pump` handles the thread's waiting messages between entries (the windows'
// pump: the run happens on the UI thread). Returns when the extraction has ended;
// INSTALL_EVENT_DONE is then queued.
void StartInstall(InstallState& state, HWND window, std::function<void()> pump);
// The same run with the archive, the failure prompt and the pump given by `hooks`.
void StartInstall(InstallState& state, HWND window, const ExtractionHooks& hooks);
