#include "app/SilentSetup.h"

#include <map>
#include <memory>

#include "app/InstallManager.h"
#include "app/SilentUi.h"
#include "engine/ClientLaunch.h"
#include "engine/EarlierVersion.h"
#include "engine/Extraction.h"
#include "engine/InstallFolder.h"
#include "engine/InstallRun.h"
#include "engine/InstallRoom.h"
#include "engine/PayloadRoom.h"
#include "engine/Processes.h"
#include "engine/SetupLog.h"
#include "base/pure/DecimalText.h"
#include "base/pure/ProductNames.h"

namespace {

// A file held for a moment (a virus scanner, an indexer) is given a few seconds.
constexpr int kRetriesPerFailure = 5;
constexpr DWORD kRetryWaitMs = 1000;

// The silent answer to the extraction's Abort/Retry/Ignore question: Retry, a second
// later, up to kRetriesPerFailure times for the same message (it names the file), then
// Abort. Never Ignore: a silent install is whole or fails.
std::function<FailureAnswer(const CUIString&)> SilentFailureAnswer() {
    auto asked = std::make_shared<std::map<CUIString, int>>();
    return [asked](const CUIString& message) {
        int& tries = (*asked)[message];
        if (tries == kRetriesPerFailure) {
            LogStep(L"Given up: " + message);
            return FailureAnswer::Abort;
        }
        ++tries;
        LogStep(L"Trying again (" + DecimalText(tries) + L"/" + DecimalText(kRetriesPerFailure) +
                L"): " + message);
        ::Sleep(kRetryWaitMs);
        return FailureAnswer::Retry;
    };
}

const wchar_t* RefusalText(FolderRefusal refusal) {
    switch (refusal) {
        case FolderRefusal::NotLocal: return L"not a folder on a local drive";
        case FolderRefusal::DriveRoot: return L"a whole drive";
        case FolderRefusal::ForbiddenCharacter: return L"a character no file name may hold";
        case FolderRefusal::None: break;
    }
    return L"";
}

// The folder the install goes to, in its one spelling, made; empty when it is refused,
// with `refusal` saying why. Room and version are judged before anything is made, as the
// main window does, so that a refusal leaves the machine as it was.
std::wstring MakeInstallFolder(Install_CIM& manager, const std::wstring& typed, SetupExit& refusal) {
    refusal = SetupExit::FolderRefused;
    LogStep(L"Install folder asked for: " + typed);
    const FolderSpelling spelling = NormaliseInstallFolder(typed);
    if (!spelling.accepted()) {
        LogStep(L"Folder refused: " + std::wstring(RefusalText(spelling.refusal)));
        return {};
    }
    if (!PayloadFitsUnder(spelling.folder, manager.Instance())) {
        LogStep(L"Folder refused: too deep for the client's longest path");
        return {};
    }
    const InstallRoom room = MeasureInstallRoom(spelling.folder, manager.Instance());
    switch (room.verdict()) {
        case RoomVerdict::TooLittle:
            LogStep(L"Not enough space: " + MegabytesNeededText(room.needed) + L" MB needed, " +
                    MegabytesFreeText(room.available) + L" MB free");
            refusal = SetupExit::NotEnoughSpace;
            return {};
        case RoomVerdict::Unknown:  // no one to ask: a run that cannot tell does not go on
            LogStep(L"Free space cannot be measured: " + MegabytesNeededText(room.needed) + L" MB needed");
            refusal = SetupExit::NotEnoughSpace;
            return {};
        case RoomVerdict::Enough:
        case RoomVerdict::NoDrive:  // making the folder refuses it
            break;
    }
    const EarlierVersion earlier = ReadEarlierVersion();
    if (earlier.order == VersionOrder::Newer) {
        LogStep(L"A newer version is installed: " + earlier.installed + L"; this setup is " + earlier.setup);
        refusal = SetupExit::NewerVersionInstalled;
        return {};
    }
    if (!manager.CreateFolderChain(spelling.folder)) {
        LogFailure(L"Folder refused: not made", spelling.folder, ::GetLastError());
        return {};
    }
    if (manager.TakeOverInstallFolder(spelling.folder).outcome != FolderTakeover::Outcome::TakenOver) {
        LogStep(L"Folder refused: it cannot be made the administrators'");
        return {};
    }
    return spelling.folder;
}

// The one place where a silent run ends because it failed: the run is taken back (as
// after Abort in the windowed run), then the exit code reports it.
SetupExit EndFailedRun(Install_CIM& manager, SetupExit failure) {
    const CUIString status = manager.GetStatusText();  // empty after the last try of a file
    LogStep(L"Install failed: " + (status.empty() ? CUIString(L"unpacking ended") : status));
    const RollbackOutcome rollback = manager.RollBackUnfinishedRun();
    if (rollback.complete) {
        LogStep(L"Rolled back: the machine is as it was before this run");
    } else {
        for (const std::wstring& path : rollback.left) LogStep(L"Not rolled back (kept in the journal): " + path);
    }
    if (manager.State().earlierRemoved) LogStep(L"The earlier installation was removed before the run and is not back");
    return rollback.complete ? failure : SetupExit::RollbackIncomplete;
}

void Launch(const std::wstring& folder) {
    const std::wstring client = folder + L"\\" + kStartProgramName;
    const ClientLaunch launch = LaunchAsSignedInUser(QuoteCommandPath(client));
    if (launch.started)
        LogStep(L"Started " + client);
    else
        LogStep(L"Not started: " + client + L": " + launch.whyNot);
}

}  // namespace

SetupExit RunSilentSetup(Install_CIM& manager, const SetupArguments& arguments) {
    SilentUi ui(arguments.forceClose);
    SetupUi* const windows = manager.Ui();
    manager.SetUi(&ui);
    struct Restore {
        Install_CIM& manager;
        SetupUi* ui;
        ~Restore() { manager.SetUi(ui); }
    } restore{manager, windows};

    if (!manager.PrepareSetup()) return ui.Ending().value_or(SetupExit::FolderRefused);
    SetupExit refusal = SetupExit::FolderRefused;
    const std::wstring folder =
        MakeInstallFolder(manager, arguments.folder.empty() ? manager.GetInstallPath() : arguments.folder, refusal);
    if (folder.empty()) return refusal;
    manager.SetInstallPath(folder);
    LogStep(L"Install folder: " + folder);
    if (!manager.BeforeInstall())
        return manager.RunBegun() == RunStart::EarlierRunLeft ? SetupExit::EarlierRunLeft
                                                               : SetupExit::JournalNotWritable;

    ExtractionHooks hooks = ProgramExtractionHooks(manager.State());
    hooks.prompt = SilentFailureAnswer();
    manager.StartInstall(nullptr, hooks);
    if (!manager.ExtractionCompleted() || !manager.State().entriesSkipped.empty())
        return EndFailedRun(manager, SetupExit::ExtractionFailed);
    if (!manager.AfterInstall()) return EndFailedRun(manager, SetupExit::RegistrationFailed);
    if (arguments.launch) Launch(folder);
    return SetupExit::Success;
}
