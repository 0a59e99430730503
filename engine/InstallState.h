#pragma once
// The state of one setup process that the windows and the install engine share. The
// install manager (app/) owns the one instance; engine operations take it by reference,
// so they can be tested on their own.
#include <windows.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "engine/InstallJournal.h"
#include "ui/Handles.h"
#include "ui/UIString.h"

struct InstallOptions {
    bool autoStart = true;        // "autostart": start the client at log-on
    bool desktopShortcut = true;  // "createDesktopshortcut"
    bool startMenu = true;        // "createStartupMenu" (kept, acted on by nothing)
};

class InstallState {
public:
    explicit InstallState(HINSTANCE instance) : instance(instance) {}

    HINSTANCE instance;
    HWND window = nullptr;          // the main window: receives WM_INSTALL_EVENT, owns prompts
    CUIString installPath;          // without trailing backslash by convention
    InstallOptions options;
    std::unique_ptr<InstallJournal> journal;  // absent until the first install run
    // Folders that the main window's start step created before this run's journal was
    // open (outermost first); the run journals them first, so the uninstaller can remove
    // them too.
    std::vector<std::wstring> foldersBeforeJournal;
    bool extractionCompleted = false;
    UniqueHandle singleInstanceMutex;         // "isRunning", until registration closes it

    InstallJournal* openJournal() const noexcept {
        return journal && journal->isOpen() ? journal.get() : nullptr;
    }

    // Replaces the status text under its lock, then posts INSTALL_EVENT_STATUS.
    void SetStatusText(const CUIString& text);
    CUIString GetStatusText() const;

private:
    mutable std::mutex statusLock_;
    CUIString statusText_;
};
