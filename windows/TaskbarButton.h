#pragma once
// The system's task-bar button of a window (ITaskbarList3), behind TaskbarProgress's seam.
#include <windows.h>
#include <memory>
#include "windows/TaskbarProgress.h"

// The message the shell sends a top-level window once its task-bar button exists; only
// then may the button be given progress (registered once per process).
UINT TaskbarButtonCreatedMessage();

// An elevated window gets that message from the (unelevated) shell only when it lets it
// through; called when the window is created.
void AllowTaskbarButtonMessage(HWND window);

// The button of `window`, with COM initialised (single-threaded) on this thread for as long
// as it lives; null when the system's object cannot be created or refuses to start, and
// the install then goes on without it.
std::unique_ptr<TaskbarButton> CreateTaskbarButton(HWND window);
