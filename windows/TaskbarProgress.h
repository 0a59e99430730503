#pragma once
// The install's progress on the main window's task-bar button. What the button shows is
// decided here, from the run's steps; the button itself (windows/TaskbarButton.h, the
// system's ITaskbarList3) sits behind the small interface below, so that tests can watch
// the calls. Free of <windows.h>.
#include <memory>

class TaskbarButton {
public:
    enum class State { None, Normal, Error };
    virtual ~TaskbarButton() = default;
    virtual void SetState(State state) = 0;
    virtual void SetValue(int percent) = 0;  // of 100
};

class TaskbarProgress {
public:
    // The button exists (the system has sent "TaskbarButtonCreated"): it is shown the run's
    // present state at once. Replaces an earlier button; null removes it.
    void Attach(std::unique_ptr<TaskbarButton> button);

    void Started();               // the progress page: normal, at 0
    void Progress(int percent);   // the bar only rises: a lower value is not shown
    void Waiting(bool waiting);   // a failure prompt is up (error) or was answered (normal)
    void Ended();                 // the run is over, however it ended: no progress shown

private:
    using State = TaskbarButton::State;
    void Show(State state, int percent);

    std::unique_ptr<TaskbarButton> button_;
    State state_ = State::None;
    int percent_ = 0;
};
