#include "windows/TaskbarButton.h"

#include <shobjidl.h>
#include "base/Handles.h"

namespace {

class SystemTaskbarButton final : public TaskbarButton {
public:
    explicit SystemTaskbarButton(HWND window) : window_(window) {}

    // The apartment first, the object after it; released in the opposite order.
    bool Create() {
        if (FAILED(com_.result())) return false;
        if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                      list_.put_void())))
            return false;
        return SUCCEEDED(list_->HrInit());
    }

    void SetState(State state) override {
        const TBPFLAG flag = state == State::Normal ? TBPF_NORMAL : state == State::Error ? TBPF_ERROR : TBPF_NOPROGRESS;
        list_->SetProgressState(window_, flag);
    }
    void SetValue(int percent) override { list_->SetProgressValue(window_, static_cast<ULONGLONG>(percent), 100); }

private:
    HWND window_;
    ComScope com_;  // single-threaded, as the window's thread needs
    ComPtr<ITaskbarList3> list_;
};

}  // namespace

UINT TaskbarButtonCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void AllowTaskbarButtonMessage(HWND window) {
    if (const UINT message = TaskbarButtonCreatedMessage())
        ::ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

std::unique_ptr<TaskbarButton> CreateTaskbarButton(HWND window) {
    auto button = std::make_unique<SystemTaskbarButton>(window);
    if (!button->Create()) return nullptr;
    return button;
}
