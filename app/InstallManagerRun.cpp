// The manager's install run and registration, delegated to the engine. Kept apart so
// that programs which only need the manager's services do not pull in the engine's
// extraction.
#include "app/InstallManager.h"
#include "app/SetupUi.h"
#include "engine/InstallRun.h"
#include "engine/Registration.h"

void Install_CIM::StartInstall(HWND window) {
    ::StartInstall(state_, window, [ui = ui_] { if (ui) ui->PumpMessages(); });
}

void Install_CIM::StartInstall(HWND window, const ExtractionHooks& hooks) { ::StartInstall(state_, window, hooks); }

bool Install_CIM::AfterInstall() { return ::AfterInstall(state_); }

void Install_CIM::FinishJournal() noexcept {
    if (state_.journal) state_.journal->finish();
}

RollbackOutcome Install_CIM::RollBackUnfinishedRun() noexcept {
    if (!state_.openJournal() || !state_.journal->inRun()) return {};  // none, or committed
    return RollBackRun(state_);
}
