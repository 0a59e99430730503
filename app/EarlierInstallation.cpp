// What happens to an earlier installation whose uninstaller the setup will not start
// elevated, because others than administrators could have replaced it (or its folder).
#include "app/InstallManager.h"

#include "app/SetupUi.h"
#include "engine/ResStrings.h"
#include "engine/UninstallerFiles.h"
#include "journal/JournalFiles.h"
#include "journal/UndoLeftovers.h"
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"

namespace {
constexpr UINT kStringSetupCaption = 128;
constexpr UINT kStringEarlierKept = 151;
}  // namespace

// Its journal is undone here instead, by the journal library, as its uninstaller would
// have done it silently: the records are trusted only as far as the places the setup
// itself writes to, every delete is link-checked, and what cannot be undone stays in its
// journal. The untrusted program is never run, only deleted (through a checked handle)
// once its journal is empty. Without a readable journal nothing there is known to be
// the installation's: it stays as it is, and the user is told where.
bool Install_CIM::UndoEarlierInstallation(const std::wstring& folder) {
    try {
        const StoredJournal stored = ReadStoredJournal(folder + L"\\" + kPlainJournalName);
        if (stored.found() && !stored.cipherHeld) {
            const undo::Plan plan = undo::MakeUndoPlan(stored.text, undo::PlacesFor(folder));
            const undo::UndoOutcome outcome = undo::RunUndo(plan);
            const std::string left = undo::LeftoverRecords(stored.text, plan, outcome);
            if (undo::StoreLeftoverJournal(folder, left) && left.empty()) {
                DWORD error = 0;
                undo::RemoveFileAsNamed(folder + L"\\" + kUninstallerName, error);
            }
            return true;
        }
    } catch (...) {  // out of memory: what was not reached stays recorded
        return true;
    }
    if (!ui_) return false;
    const CUIString text = FormatText(state_.instance, kStringEarlierKept,
                                      L"The earlier installation in {folder} can be changed by other users: its "
                                      L"uninstaller is not run, and it stays as it is.",
                                      L"{folder}", folder);
    ui_->ShowWarning(text, LoadResString(kStringSetupCaption, L"VexmoraFM"));
    return false;
}
