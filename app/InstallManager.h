#pragma once
// The install manager: the one object that holds the state of a setup run between the
// windows and the install engine, and the services they share. Created by the entry
// point before any window, destroyed after the last one (which closes the journal).
#include <windows.h>
#include "engine/InstallRun.h"
#include "engine/FolderTakeover.h"
#include "engine/InstallState.h"
#include "base/pure/ProductNames.h"
#include "engine/RunRollback.h"
#include "ui/UIString.h"

class SetupUi;
struct ExtractionHooks;

class InstallManagerBase {
public:
    virtual bool PrepareSetup() = 0;   // true: the main window may open
    virtual bool BeforeInstall() = 0;  // begins the run; false when it cannot begin (nothing changed)
    virtual bool AfterInstall() = 0;   // registration; false when the extraction did not complete
protected:
    ~InstallManagerBase() = default;   // destroyed as the concrete Install_CIM
};

class Install_CIM final : public InstallManagerBase {
public:
    explicit Install_CIM(HINSTANCE instance);
    ~Install_CIM();
    Install_CIM(const Install_CIM&) = delete;
    Install_CIM& operator=(const Install_CIM&) = delete;

    bool PrepareSetup() override;
    bool BeforeInstall() override;
    bool AfterInstall() override;

    const CUIString& GetInstallPath() const noexcept { return state_.installPath; }
    void SetInstallPath(const CUIString& folder) { state_.installPath = folder; }
    InstallOptions& Options() noexcept { return state_.options; }

    // Opens the journal, sends INSTALL_EVENT_START and unpacks the payload; the outcome
    // reaches `window` as INSTALL_EVENT_DONE. The windows' pump (SetupUi::PumpMessages)
    // keeps them going meanwhile; without windows nothing is pumped.
    void StartInstall(HWND window);
    // The same run with the archive, the failure question and the pump given by `hooks`
    // (a silent run: no window, nothing to pump, no one to ask).
    void StartInstall(HWND window, const ExtractionHooks& hooks);
    void SetStatusText(const CUIString& text) { state_.SetStatusText(text); }
    CUIString GetStatusText() const { return state_.GetStatusText(); }
    bool ExtractionCompleted() const noexcept { return state_.extractionCompleted; }
    // How the last BeforeInstall began the run.
    RunStart RunBegun() const noexcept { return runBegun_; }
    // After a run that did not complete: takes back what the run made (engine/
    // RunRollback.h) and returns what is left, for the caller to report. Once per run.
    [[nodiscard]] RollbackOutcome RollBackUnfinishedRun() noexcept;
    // The message for the user after RollBackUnfinishedRun: the failure's own text (none
    // after Abort), what the rollback did or left, and whether an earlier installation
    // was removed by this run's start and so is not back.
    CUIString RollbackMessage(const RollbackOutcome& outcome) const;
    // Finishes the install journal (engine/InstallJournal.h) when there is one: for a
    // session that ends this process without the manager's destruction.
    void FinishJournal() noexcept;

    [[nodiscard]] bool CreateFolderChain(const CUIString& path);
    // Makes the install folder `folder` (made or found) the administrators' before
    // anything is written into it (engine/FolderTakeover.h), naming in the log what it
    // found there. When it fails, the levels CreateFolderChain made for this start go
    // again (they are empty) and nothing may be installed there.
    [[nodiscard]] FolderTakeover TakeOverInstallFolder(const std::wstring& folder);
    // Reads a REG_SZ value; `out` changes only on success.
    [[nodiscard]] bool ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* valueName, CUIString& out);
    CUIString LoadResString(UINT id, const wchar_t* fallback) const;
    int ShowResMessageBox(HWND owner, UINT textId, UINT captionId, UINT style) const;
    // The folder the user picked, or empty text on cancel or a non file-system item.
    CUIString BrowseForFolder(HWND owner, const CUIString& initialFolder) const;

    InstallState& State() noexcept { return state_; }
    HINSTANCE Instance() const noexcept { return state_.instance; }

    // The windows that PrepareSetup and RunSetup open (not owned). Without one, setup
    // ends wherever a prompt would be needed and no main window opens.
    void SetUi(SetupUi* ui) noexcept { ui_ = ui; }
    SetupUi* Ui() const noexcept { return ui_; }

    // The folder of an earlier installation ("SoftwarePath" of the client's App Paths
    // key); false, `folder` untouched, when there is none.
    [[nodiscard]] bool ReadPreviousInstallFolder(CUIString& folder);

private:
    [[nodiscard]] bool ClaimSingleInstance();
    [[nodiscard]] bool WaitForClientToClose(std::vector<DWORD>& crashReporters);
    bool UseDefaultFolder();
    void RemoveFoldersMadeForTheRun();
    void RemoveEarlierWithoutJournal(const std::wstring& earlierFolder);
    void TakeBackUnfinishedRuns();
    // An earlier installation whose uninstaller could not be trusted to run elevated, and
    // whose journal cannot be read: it stays as it is, and the user is told where.
    void WarnEarlierKept(const std::wstring& folder);

    InstallState state_;
    SetupUi* ui_ = nullptr;
    RunStart runBegun_ = RunStart::Begun;
};

// The process's one manager (null before construction and after destruction).
Install_CIM* GetInstallManager() noexcept;
