#pragma once
// What the start-up flow needs from the setup's windows. The install manager calls it
// while it decides whether setup may go on and while it installs; RunSetup uses it to
// open the main window and run its loop.
// The windows layer implements it; the manager only holds a pointer (not owned).
#include <windows.h>
#include <string>
#include <vector>

class SetupUi {
public:
    virtual ~SetupUi() = default;

    // Another setup process is running: shows the already-running prompt and returns
    // once it has been closed (its own message loop). Setup ends afterwards.
    virtual void ShowAlreadyRunning() = 0;

    // Client processes `ids` are running: shows the client-running prompt, which ends
    // exactly these processes when the user chooses to go on, and returns once it has
    // been closed. Returns true when setup is to end: the user cancelled or closed the
    // prompt, or it could not be shown.
    virtual bool ShowClientRunning(const std::vector<DWORD>& ids) = 0;

    // Shows a warning owned by the main window and returns once it has been closed; the
    // install goes on.
    virtual void ShowWarning(const std::wstring& text, const std::wstring& caption) = 0;

    // A run with windows is certain, and the start-up checks come next: the main window
    // may start, on other threads, what its first paint needs. By default nothing.
    virtual void PrepareMainWindow() {}

    // Creates the main window, centres it and shows it with focus. False when it could
    // not be created.
    virtual bool OpenMainWindow() = 0;

    // Runs the thread's message loop until the main window is gone.
    virtual void RunMessageLoop() = 0;

    // Handles every message waiting in the thread's queue, then returns. The install run
    // calls it between entries, so that the windows stay alive during the extraction.
    virtual void PumpMessages() = 0;
};
