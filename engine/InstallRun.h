#pragma once
#include <windows.h>
#include <functional>
#include "engine/Extraction.h"
#include "engine/InstallState.h"

// One install run: stores `window` in the state, finalises a journal left open by an
// earlier run and opens a new one at the install folder + "\uninstall" (a link standing
// at that name ends the run before anything is unpacked: string 150 naming it as the
// status text, the extraction-completed flag false, INSTALL_EVENT_DONE), sends
// INSTALL_EVENT_START (without a window: sets the shell extension aside itself, as the
// main window does on that event), then unpacks the payload ("BIN" 227 of the program's own module).
// `pump` handles the thread's waiting messages between entries (the windows' pump: the
// run happens on the UI thread). Returns when the extraction has ended;
// INSTALL_EVENT_DONE is then queued.
void StartInstall(InstallState& state, HWND window, std::function<void()> pump);
// The same run with the archive, the failure prompt and the pump given by `hooks`.
void StartInstall(InstallState& state, HWND window, const ExtractionHooks& hooks);
