#include "windows/TaskbarProgress.h"

void TaskbarProgress::Attach(std::unique_ptr<TaskbarButton> button) {
    button_ = std::move(button);
    if (!button_ || state_ == State::None) return;
    button_->SetState(state_);
    button_->SetValue(percent_);
}

void TaskbarProgress::Started() { Show(State::Normal, 0); }

void TaskbarProgress::Progress(int percent) {
    if (state_ == State::None) return;  // no run: nothing to show
    Show(state_, percent > percent_ ? percent : percent_);
}

void TaskbarProgress::Waiting(bool waiting) {
    if (state_ == State::None) return;
    Show(waiting ? State::Error : State::Normal, percent_);
}

void TaskbarProgress::Ended() { Show(State::None, 0); }

// Tells the button only what changed. A value is never set without progress shown: the
// system would show the normal state again.
void TaskbarProgress::Show(State state, int percent) {
    const bool stateChanged = state != state_;
    const bool valueChanged = percent != percent_ || (stateChanged && state_ == State::None);
    state_ = state;
    percent_ = percent;
    if (!button_) return;
    if (stateChanged) button_->SetState(state);
    if (valueChanged && state != State::None) button_->SetValue(percent);
}
