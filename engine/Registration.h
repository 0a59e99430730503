#pragma once
#include "engine/InstallState.h"

// Registers the installed client with the system (application path, uninstall entry,
// start at log-on, start-menu and desktop shortcuts), journalling what it creates, sends
// INSTALL_EVENT_RESET to the main window, finishes the journal (encrypted, plain file
// removed) and then closes the single-instance mutex.
// Returns false at once, having done nothing, when the extraction did not complete.
// No step reports an error: a step that fails is skipped and the next one runs.
bool AfterInstall(InstallState& state);
