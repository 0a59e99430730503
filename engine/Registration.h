#pragma once
#include "engine/InstallState.h"

// Registers the installed client with the system (application path, uninstall entry,
// start at log-on, start-menu and desktop shortcuts), journalling what it creates (and,
// during a run, what it changes as it was: shortcuts moved aside, values' old data), then
// commits the run (engine/RunCommit.h), sends INSTALL_EVENT_RESET to the main window and
// closes the single-instance mutex.
// Returns false, having registered nothing, when the extraction did not complete or left
// payload files unwritten; and false, having committed nothing, when a value, shortcut or
// the journal could not be written. Either way the status text says why, and the caller
// takes the run back. Every step is tried, and logged, before that decision.
bool AfterInstall(InstallState& state);
