#include "engine/InstallRun.h"

#include <memory>
#include <utility>
#include "engine/Extraction.h"
#include "engine/ExtractionPrompt.h"
#include "engine/InstallEvents.h"
#include "engine/SetupLog.h"
#include "engine/ShellExtensionAside.h"

void StartInstall(InstallState& state, HWND window, std::function<void()> pump) {
    state.window = window;  // before the hooks are made: the prompts are owned by it
    ExtractionHooks hooks = ProgramExtractionHooks(state);
    hooks.pump = std::move(pump);
    StartInstall(state, window, hooks);
}

void StartInstall(InstallState& state, HWND window, const ExtractionHooks& hooks) {
    state.window = window;
    // The earlier run's journal is finalised before a new one opens at the same path.
    state.journal.reset();
    state.journal = std::make_unique<InstallJournal>();
    const std::wstring journalPath = state.installPath + L"\\uninstall";
    if (state.journal->open(journalPath) == InstallJournal::Opened::Refused) {
        // A link standing at the journal's name: nothing is unpacked without a journal the
        // uninstaller could trust, and nothing is written through the link.
        LogStep(L"Journal refused (a link at its name, or its place cannot be told): " + journalPath);
        state.extractionCompleted = false;
        state.SetStatusText(LinkRefusedText(state.instance, journalPath));
        if (window) ::PostMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_DONE, 0);
        return;
    }
    for (const std::wstring& folder : state.foldersBeforeJournal) state.journal->recordFolder(folder);
    state.foldersBeforeJournal.clear();
    LogStep(L"Journal opened: " + journalPath);
    if (window) {
        ::SendMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_START, 0);
    } else {
        // A run without a window (a silent install) does itself what the main window does
        // on the start event.
        SetShellExtensionAside(state.installPath, state.openJournal());
    }
    ExtractPayload(state, hooks);
    LogStep(state.extractionCompleted ? L"Extraction completed" : L"Extraction failed: " + state.GetStatusText());
}
