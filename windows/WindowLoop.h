#pragma once
// The message loop that runs one setup window: the main window's loop and the nested
// loop of every prompt.
#include <windows.h>

// Reads and dispatches the thread's messages (offered first to the framework's
// translators) until `window` is gone, or until a quit message addressed to `window`
// itself arrives (the confirm-exit prompt ends its own loop that way).
//
// Every setup window posts a quit message when it is destroyed, but loops nest: a
// prompt closed while a later one is still open, or one whose quit was drained by the
// install run's message pump, would leave a loop waiting for a quit that is gone or
// that ends the wrong loop. So a loop ends when its own window has gone, and a quit
// message meant for another window is passed over.
void RunWindowLoop(HWND window);
