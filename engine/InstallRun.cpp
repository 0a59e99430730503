#include "engine/InstallRun.h"

#include <memory>
#include <utility>
#include "engine/Extraction.h"
#include "engine/ExtractionPrompt.h"
#include "engine/InstallEvents.h"
#include "engine/InstallFolder.h"
#include "base/pure/ProductNames.h"
#include "engine/RegistryRead.h"
#include "engine/RegistryWrite.h"
#include "engine/ResStrings.h"
#include "engine/RunRollback.h"
#include "engine/SetupLog.h"
#include "engine/ShellExtensionAside.h"
#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "base/Handles.h"
#include "base/RegistryView.h"
#include "journal/JournalFiles.h"

namespace {

constexpr UINT kStringJournalNotOpened = 163;
constexpr UINT kStringEarlierRunLeft = 164;

bool KeyExists(HKEY root, const wchar_t* path) {
    UniqueHKey key;
    return ::RegOpenKeyExW(root, path, 0, KEY_READ | kRegistryView, key.put()) == ERROR_SUCCESS;
}

// "SoftwarePath" names the folder of this run's journal from its start on.
void PointAtThisRun(InstallState& state, InstallJournal& journal) {
    CUIString recorded;
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, kAppPathsKey, kSoftwarePathValue, recorded) && !recorded.empty()) {
        const FolderSpelling spelling = NormaliseInstallFolder(recorded);
        state.earlierFolder = spelling.accepted() ? spelling.folder : std::wstring(recorded);
        if (recorded == state.installPath) return;
    }
    if (!KeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey)) RecordRegKey(HKEY_LOCAL_MACHINE, kAppPathsKey, &journal);
    if (!SetRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, kSoftwarePathValue, state.installPath, &journal))
        LogFailure(L"SoftwarePath not pointed at this run:", state.installPath, ::GetLastError());
}

// The journal files found in a folder taken over from others (engine/FolderTakeover.h):
// not the setup's to go by. Each goes through a handle checked to lead where its name
// says; a link at one of the names stays, and the journal then refuses to open.
void DeleteJournalFound(const std::wstring& installFolder) {
    const std::wstring plain = installFolder + L"\\" + kPlainJournalName, cipher = CipherJournalPath(plain);
    for (const std::wstring& path : {plain, cipher, cipher + kCipherDraftSuffix}) {
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (DeleteCheckedFile(path, ExpectedFinalPath(path)))
            LogStep(L"Journal found in a folder others could change, not trusted, deleted: " + path);
        else
            LogFailure(L"Journal found in a folder others could change, not deleted:", path, ::GetLastError());
    }
}

}  // namespace

RunStart BeginRun(InstallState& state) {
    if (state.folderTakenFromOthers) {
        DeleteJournalFound(state.installPath);
    } else {
        // A run that an earlier setup left here goes first; while any of it is left, no
        // new one begins over it.
        const RollbackOutcome earlierRun = RollBackUnfinishedRun(state.installPath);
        if (earlierRun.rolledBack) {
            LogStep(earlierRun.complete ? L"An unfinished earlier run taken back: " + std::wstring(state.installPath)
                                        : L"An unfinished earlier run could not be taken back: " +
                                              std::wstring(state.installPath));
            if (!earlierRun.complete) return RunStart::EarlierRunLeft;
        }
    }
    // The earlier run's journal is finalised before a new one opens at the same path.
    state.journal.reset();
    state.journal = std::make_unique<InstallJournal>();
    InstallJournal& journal = *state.journal;
    if (journal.open(state.installPath + L"\\" + kPlainJournalName) == InstallJournal::Opened::Refused) {
        // Nothing is unpacked without a journal the uninstaller could trust, and nothing
        // is written through what stands at its name.
        LogStep(L"Journal refused (a link at its name, or its place cannot be told): " + journal.path());
        state.journal.reset();
        return RunStart::JournalRefused;
    }
    if (!journal.isOpen() || !journal.begin(state.installPath)) {
        LogFailure(L"Journal not opened:", journal.path(), ::GetLastError());
        state.journal.reset();
        return RunStart::JournalNotOpened;
    }
    for (const std::wstring& folder : state.foldersBeforeJournal) journal.recordFolder(folder);
    state.foldersBeforeJournal.clear();
    LogStep(L"Journal opened, run begun: " + journal.path());
    PointAtThisRun(state, journal);
    return RunStart::Begun;
}

std::wstring RunNotBegunText(const InstallState& state, RunStart start) {
    switch (start) {
        case RunStart::Begun: break;
        case RunStart::JournalNotOpened:
            return FormatText(state.instance, kStringJournalNotOpened,
                              L"The install record {file} cannot be written: nothing was installed.", L"{file}",
                              state.installPath + L"\\" + kPlainJournalName);
        case RunStart::JournalRefused:
            return LinkRefusedText(state.instance, state.installPath + L"\\" + kPlainJournalName);
        case RunStart::EarlierRunLeft:
            return FormatText(state.instance, kStringEarlierRunLeft,
                              L"An earlier install in {folder} that did not finish could not be taken back "
                              L"completely: nothing was installed.",
                              L"{folder}", state.installPath);
    }
    return std::wstring();
}

void StartInstall(InstallState& state, HWND window, std::function<void()> pump) {
    state.window = window;  // before the hooks are made: the prompts are owned by it
    ExtractionHooks hooks = ProgramExtractionHooks(state);
    hooks.pump = std::move(pump);
    StartInstall(state, window, hooks);
}

void StartInstall(InstallState& state, HWND window, const ExtractionHooks& hooks) {
    state.window = window;
    if (!state.openJournal() || !state.journal->inRun()) {
        const RunStart start = BeginRun(state);
        if (start != RunStart::Begun) {
            state.extractionCompleted = false;
            state.SetStatusText(RunNotBegunText(state, start));
            if (window) ::PostMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_DONE, 0);
            return;
        }
    }
    if (window) {
        ::SendMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_START, 0);
    } else {
        // A run without a window (a silent install) does itself what the main window does
        // on the start event.
        SetShellExtensionAside(state);
    }
    ExtractPayload(state, hooks);
    LogStep(state.extractionCompleted ? L"Extraction completed" : L"Extraction failed: " + state.GetStatusText());
}
