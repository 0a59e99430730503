#include "engine/InstallRun.h"

#include <memory>
#include <utility>
#include "engine/Extraction.h"
#include "engine/InstallEvents.h"

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
    state.journal->open(state.installPath + L"\\uninstall");
    for (const std::wstring& folder : state.foldersBeforeJournal) state.journal->recordFolder(folder);
    state.foldersBeforeJournal.clear();
    ::SendMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_START, 0);
    ExtractPayload(state, hooks);
}
