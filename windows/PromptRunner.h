#pragma once
// Running a prompt: the same steps for the start-up prompts (no parent) and for those
// opened from the main window (parent = the main window, which stays enabled).
#include <windows.h>
#include <memory>
#include "windows/SkinWindow.h"

// Opens `prompt` (CSkinWindow::Open: the setup windows' title and styles, centred, shown
// with focus) and runs its nested message loop until the window is gone. The prompt object is released afterwards, never by its
// window; a window still open then (the confirm-exit prompt ends its loop before the
// main window closes it) is destroyed first. False when the window could not be created.
[[nodiscard]] bool RunPrompt(std::unique_ptr<CSkinWindow> prompt, HWND parent);
