#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/InstallManager.h"
#include "app/SetupUi.h"
#include "scratch.h"

namespace {

// Stands in for the windows: counts what the start-up flow asks of them.
class RecordingUi : public SetupUi {
public:
    void ShowAlreadyRunning() override { ++alreadyRunning; }
    bool ShowClientRunning(const std::vector<DWORD>&) override { ++clientRunning; return true; }
    bool OpenMainWindow() override { return false; }
    void RunMessageLoop() override {}
    void PumpMessages() override {}
    void ShowWarning(const std::wstring& text, const std::wstring& caption) override {
        warnings.push_back(caption + L": " + text);
    }
    int alreadyRunning = 0, clientRunning = 0;
    std::vector<std::wstring> warnings;
};

HINSTANCE Self() { return ::GetModuleHandleW(nullptr); }

}  // namespace

TEST(InstallManager, IsReachableExactlyDuringItsLife) {
    EXPECT_EQ(nullptr, GetInstallManager());
    {
        Install_CIM manager(Self());
        EXPECT_EQ(&manager, GetInstallManager());
        EXPECT_TRUE(manager.GetInstallPath().empty());
        EXPECT_TRUE(manager.Options().autoStart && manager.Options().desktopShortcut && manager.Options().startMenu);
    }
    EXPECT_EQ(nullptr, GetInstallManager());
}

// The first manager holds "isRunning"; a second one (here in the same process, which the
// system answers the same way as another process) sees it and stops after the prompt.
TEST(PrepareSetup, TheSecondSetupShowsTheAlreadyRunningPromptAndStops) {
    RecordingUi firstUi, secondUi;
    auto first = std::make_unique<Install_CIM>(Self());
    first->SetUi(&firstUi);
    ASSERT_TRUE(first->PrepareSetup());  // nothing of the client runs in the test machine
    EXPECT_TRUE(first->State().singleInstanceMutex);
    EXPECT_FALSE(first->GetInstallPath().empty());
    EXPECT_EQ(0, firstUi.alreadyRunning + firstUi.clientRunning);

    Install_CIM second(Self());
    second.SetUi(&secondUi);
    EXPECT_FALSE(second.PrepareSetup());
    EXPECT_EQ(1, secondUi.alreadyRunning);
    EXPECT_EQ(0, secondUi.clientRunning);
    EXPECT_FALSE(second.State().singleInstanceMutex);
    EXPECT_TRUE(second.GetInstallPath().empty());
    EXPECT_TRUE(first->State().singleInstanceMutex);  // the first is not disturbed

    Install_CIM third(Self());  // without windows, setup just ends
    EXPECT_FALSE(third.PrepareSetup());
}

// A setup in another session holds only "Global\isRunning"; an older setup (or another
// program that looks for it) only "isRunning". Either one means another setup runs; a
// setup that goes on holds both until registration lets them go.
TEST(PrepareSetup, EitherMutexNameMeansAnotherSetupRuns) {
    auto exists = [](const wchar_t* name) { return UniqueHandle(::OpenMutexW(SYNCHRONIZE, FALSE, name)).valid(); };
    for (const wchar_t* held : {L"isRunning", L"Global\\isRunning"}) {
        const UniqueHandle other(::CreateMutexW(nullptr, FALSE, held));
        ASSERT_TRUE(other) << U8(held);
        RecordingUi ui;
        Install_CIM manager(Self());
        manager.SetUi(&ui);
        EXPECT_FALSE(manager.PrepareSetup()) << U8(held);
        EXPECT_EQ(1, ui.alreadyRunning) << U8(held);
        EXPECT_FALSE(manager.State().singleInstanceMutex) << U8(held);
    }
    EXPECT_FALSE(exists(L"isRunning"));
    EXPECT_FALSE(exists(L"Global\\isRunning"));

    RecordingUi ui;
    Install_CIM manager(Self());
    manager.SetUi(&ui);
    ASSERT_TRUE(manager.PrepareSetup());
    EXPECT_TRUE(exists(L"isRunning"));
    EXPECT_TRUE(exists(L"Global\\isRunning"));
    manager.State().singleInstanceMutex.reset();
    EXPECT_FALSE(exists(L"isRunning"));
    EXPECT_FALSE(exists(L"Global\\isRunning"));
}

// Runs PrepareSetup on the machine it is started in and writes what it decided, for the
// start-up system test (which builds that machine). Skipped in a plain test run.
//   VEXMORA_PROBE_OUT      Windows path of the result file: "<0|1>\t<install folder>", UTF-8
//   VEXMORA_PROBE_STRINGS  Windows path of a module whose string table to use (the setup)
TEST(MachineProbe, PrepareSetup) {
    const wchar_t* out = _wgetenv(L"VEXMORA_PROBE_OUT");
    if (!out) GTEST_SKIP() << "run by the start-up system test";
    HINSTANCE strings = Self();
    if (const wchar_t* module = _wgetenv(L"VEXMORA_PROBE_STRINGS"))
        strings = ::LoadLibraryExW(module, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, strings);
    RecordingUi ui;
    Install_CIM manager(strings);
    manager.SetUi(&ui);
    const bool result = manager.PrepareSetup();
    // As the window does on Start: the folder made, then the run begun, here taken back
    // at once so that the next case finds the machine as it was.
    const bool before = manager.CreateFolderChain(manager.GetInstallPath()) && manager.BeforeInstall();
    (void)manager.RollBackUnfinishedRun();
    std::ofstream(std::filesystem::path(out), std::ios::binary)
        << (result ? "1" : "0") << "\t" << U8(manager.GetInstallPath()) << "\t" << (before ? "1" : "0");
}
