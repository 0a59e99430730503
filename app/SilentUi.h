#pragma once
// The setup's "windows" for a silent run (/S): no prompt is ever shown. Each question that
// would stop setup gets its set answer, and records the outcome for the exit code:
// another setup running ends this one; a running client ends it too, unless /FORCECLOSE
// was given, in which case the client is ended and setup goes on (or ends after a few
// seconds, when the client will not go). Warnings go to the log.
#include <optional>
#include "app/ExitCodes.h"
#include "app/SetupUi.h"

class SilentUi final : public SetupUi {
public:
    explicit SilentUi(bool forceClose) noexcept : forceClose_(forceClose) {}

    // Why setup was stopped by a question; nothing while no question stopped it.
    std::optional<SetupExit> Ending() const noexcept { return ending_; }

    void ShowAlreadyRunning() override;
    bool ShowClientRunning(const std::vector<DWORD>& ids) override;
    void ShowWarning(const std::wstring& text, const std::wstring& caption) override;
    bool OpenMainWindow() override { return false; }
    void RunMessageLoop() override {}
    void PumpMessages() override {}

private:
    bool forceClose_;
    ULONGLONG forceCloseDeadline_ = 0;  // set when the client is first ended
    std::optional<SetupExit> ending_;
};
