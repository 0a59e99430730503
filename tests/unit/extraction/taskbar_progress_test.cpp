// What the task-bar button is told during an install run, watched through the button's
// interface: first the decisions alone, then a real extraction whose failure prompts and
// progress events drive it as they drive the main window.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>
#include "ExtractionHarness.h"
#include "engine/InstallEvents.h"
#include "base/Handles.h"
#include "windows/TaskbarProgress.h"

namespace {

using State = TaskbarButton::State;
constexpr auto Retry = FailureAnswer::Retry;
constexpr auto Ignore = FailureAnswer::Ignore;

// Keeps every call, and the state the button shows now.
class RecordingButton final : public TaskbarButton {
public:
    explicit RecordingButton(std::vector<std::string>* calls) : calls_(calls) {}
    void SetState(State state) override {
        calls_->push_back(state == State::Normal ? "normal" : state == State::Error ? "error" : "none");
    }
    void SetValue(int percent) override { calls_->push_back(std::to_string(percent)); }

private:
    std::vector<std::string>* calls_;
};

struct Watched {
    std::vector<std::string> calls;
    TaskbarProgress taskbar;
    Watched() { taskbar.Attach(std::make_unique<RecordingButton>(&calls)); }
};

TEST(TaskbarProgress, RisesShowsErrorWhileWaitingAndClearsAtTheEnd) {
    Watched w;
    w.taskbar.Progress(5);  // before a run: nothing to show
    w.taskbar.Started();
    w.taskbar.Progress(10);
    w.taskbar.Progress(10);  // no change: no call
    w.taskbar.Progress(4);   // never back
    w.taskbar.Waiting(true);
    w.taskbar.Progress(30);  // still red while the prompt is up
    w.taskbar.Waiting(false);
    w.taskbar.Progress(99);
    w.taskbar.Ended();
    w.taskbar.Progress(50);  // after the end: nothing
    w.taskbar.Waiting(true);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"normal", "0", "10", "error", "30", "normal", "99", "none"}));

    // A second run starts from 0 again.
    w.calls.clear();
    w.taskbar.Started();
    w.taskbar.Progress(20);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"normal", "0", "20"}));
}

TEST(TaskbarProgress, AButtonMadeDuringARunShowsItsStateAtOnceAndNoneIsHarmless) {
    TaskbarProgress taskbar;
    taskbar.Started();  // no button yet (the shell has not made it, or it cannot be had)
    taskbar.Progress(40);
    taskbar.Waiting(true);
    std::vector<std::string> calls;
    taskbar.Attach(std::make_unique<RecordingButton>(&calls));
    EXPECT_EQ(calls, (std::vector<std::string>{"error", "40"}));
    taskbar.Attach(nullptr);  // gone: the run goes on
    taskbar.Waiting(false);
    taskbar.Ended();
    EXPECT_EQ(calls.size(), 2u);
    std::vector<std::string> idle;
    TaskbarProgress notRunning;
    notRunning.Attach(std::make_unique<RecordingButton>(&idle));
    EXPECT_TRUE(idle.empty());
}

// The same decisions fed by a real extraction, as the main window feeds them: its progress
// events and the announcements around its failure prompts (top.txt is held open, so
// writing it asks twice: Retry, then Ignore).
TEST(TaskbarProgress, ARealRunRisesTurnsRedWhileItsPromptIsUpAndEndsCleared) {
    ExtractionRun run(Fixture(L"TREE"), {Retry, Ignore});
    const std::wstring locked = run.scratch.install() + L"\\top.txt";
    { std::ofstream(std::filesystem::path(locked), std::ios::binary) << "old"; }
    UniqueHandle holder(::CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);

    Watched w;
    run.window.onEvent = [&w](WPARAM kind, LPARAM value) {
        if (kind == INSTALL_EVENT_PROGRESS) w.taskbar.Progress(static_cast<int>(value));
        if (kind == INSTALL_EVENT_ASKING) w.taskbar.Waiting(value != 0);
    };
    std::vector<std::string> atPrompt;  // the last call the button had when each prompt showed
    const auto answer = run.hooks.prompt;
    run.hooks.prompt = [&](const CUIString& message) {
        atPrompt.push_back(w.calls.empty() ? "" : w.calls.back());
        return answer(message);
    };
    w.taskbar.Started();
    run.run();
    run.window.drained();
    w.taskbar.Ended();

    EXPECT_EQ(run.prompt.messages.size(), 2u);
    EXPECT_EQ(atPrompt, (std::vector<std::string>{"error", "error"}));
    // Files 0-3 report 0, 16, 33, 50; top.txt (entry 4) is skipped; the last reports 83.
    EXPECT_EQ(w.calls, (std::vector<std::string>{"normal", "0", "16", "33", "50", "error", "normal", "error", "normal",
                                                 "83", "none"}));
}

}  // namespace
