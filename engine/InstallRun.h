#pragma once
#include <windows.h>
#include "engine/Extraction.h"
#include "engine/InstallState.h"

// One install run: stores `window` in the state, finalises a journal left open by an
// earlier run and opens a new one at the install folder + "\uninstall", sends
// INSTALL_EVENT_START, then unpacks the payload ("BIN" 227 of the program's own module).
// Returns when the extraction has ended; INSTALL_EVENT_DONE is then queued.
void StartInstall(InstallState& state, HWND window);
// The same run with the archive and the failure prompt given by `hooks` (tests, benchmark).
void StartInstall(InstallState& state, HWND window, const ExtractionHooks& hooks);

// Dispatches every message waiting in the thread's queue, then returns.
void PumpMessages();
