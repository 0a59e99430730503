#pragma once
// The start-up windows until the skinned ones are wired in: no prompts (a second setup
// and a running client both end setup quietly) and a plain, empty main window with the
// class, title, styles and placement of the real one.
#include "app/SetupUi.h"

class PlainSetupUi final : public SetupUi {
public:
    explicit PlainSetupUi(HINSTANCE instance) : instance_(instance) {}
    void ShowAlreadyRunning() override {}
    bool ShowClientRunning(const std::vector<DWORD>&) override { return true; }
    bool OpenMainWindow() override;

private:
    HINSTANCE instance_;
};
