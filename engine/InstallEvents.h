#pragma once
// The private message from the install engine to the main window.
// wParam = kind, lParam = value (a percentage for INSTALL_EVENT_PROGRESS, 1 or 0 for
// INSTALL_EVENT_ASKING, else 0).
#include <windows.h>

constexpr UINT WM_INSTALL_EVENT = WM_USER + 101;  // 1125

enum InstallEventKind : WPARAM {
    INSTALL_EVENT_START = 0,     // sent before extraction begins
    INSTALL_EVENT_PROGRESS = 1,  // posted after each file written, lParam = percent
    INSTALL_EVENT_DONE = 2,      // posted once, as the last event of a run
    INSTALL_EVENT_STATUS = 3,    // posted after each change of the status text
    INSTALL_EVENT_RESET = 4,     // sent by registration as its last window action
    INSTALL_EVENT_ASKING = 5,    // sent around each failure prompt of the extraction: lParam 1
                                 // before it shows (the run waits for the user), 0 once answered
};
