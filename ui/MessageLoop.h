#pragma once
// The thread's message loop and its pump. Each message is first offered to the
// translators of every window manager (tooltips, Tab out of a native edit); what none of
// them consumes is translated and dispatched.
#include <windows.h>

// Runs the loop that keeps `window` going: until `window` is gone, or until a quit message
// posted to `window` itself arrives (a window may end its own loop that way). Returns that
// quit message's code, or 0 when the window has gone. Without a window: until the
// thread's quit message, whose code it returns.
//
// Windows post a quit message when they are destroyed, but loops nest: a modal window runs
// its loop inside a handler of another window's. A window closed while a later one is
// still open, or one whose quit was read by a pump, would leave a loop waiting for a quit
// that is gone or that ends the wrong loop. So a loop with a window ends when its own
// window has gone, and a quit message meant for another window is passed over.
int UIRunMessageLoop(HWND window = nullptr);

// Handles every message waiting in the thread's queue, then returns: long work on the UI
// thread calls it now and then so that its windows stay alive. A quit message read here
// is handled like any other, which does nothing: the loops above end with their windows.
void UIPumpMessages();
