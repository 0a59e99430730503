#include "engine/InstallState.h"
#include "engine/InstallEvents.h"

void InstallState::SetStatusText(const CUIString& text) {
    {
        std::lock_guard<std::mutex> lock(statusLock_);
        statusText_ = text;
    }
    // Posted after the lock is released: the window may read the text at once.
    if (window) ::PostMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_STATUS, 0);
}

CUIString InstallState::GetStatusText() const {
    std::lock_guard<std::mutex> lock(statusLock_);
    return statusText_;
}
