#pragma once
// The state of one setup process that the windows and the install engine share. The
// install manager (app/) owns the one instance; engine operations take it by reference,
// so they can be tested on their own.
#include <windows.h>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "engine/InstallJournal.h"
#include "base/Handles.h"
#include "ui/UIString.h"

struct InstallOptions {
    bool autoStart = true;        // "autostart": start the client at log-on
    bool desktopShortcut = true;  // "createDesktopshortcut"
    bool startMenu = true;        // "createStartupMenu" (kept, acted on by nothing)
};

// The single-instance marks: the mutex "isRunning" in the session's namespace (other
// programs look for that name) and "Global\isRunning", which a setup in another session
// (another user, a remote session) sees too. Either one held marks a running setup.
struct SingleInstanceMutexes {
    UniqueHandle local;
    UniqueHandle global;
    void reset() noexcept {
        local.reset();
        global.reset();
    }
    explicit operator bool() const noexcept { return local || global; }
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
    std::uint64_t payloadUnpackedBytes = 0;     // of the archive the extraction opened
    // An earlier installation was uninstalled (or undone) by this run's start: a rollback
    // cannot bring it back, and says so. Only one whose journal could not be read is.
    bool earlierRemoved = false;
    // The folder of the installation this run goes over ("SoftwarePath" before the run,
    // in the install's spelling); empty when there was none.
    std::wstring earlierFolder;
    int backupsMade = 0;          // files moved aside by this run (engine/RunBackup.h)
    // Payload entries the run left unwritten (Ignore, or a file that may not be replaced):
    // a run with any is not the whole client, and is taken back.
    std::vector<std::wstring> entriesSkipped;
    bool registrationFailed = false;  // a value or shortcut of the registration was not written
    // The install folder, or something in it, could be changed by others before it was
    // taken over (engine/FolderTakeover.h): a program found there is not started.
    bool folderTakenFromOthers = false;
    SingleInstanceMutexes singleInstanceMutex;  // until registration closes them

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
