#pragma once
// Notifications from controls to the window that receives them.
#include <cstdint>
#include "ui/UIString.h"
#include "ui/pure/Geometry.h"

class CControlUI;

struct TNotifyUI {
    CUIString sType;             // "click", "selectchanged", "windowinit", "textchanged", ...
    CControlUI* pSender = nullptr;
    UIPoint ptMouse;
    uint32_t dwTimestamp = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};
