#include "ui/pure/CaptionHitTest.h"

#include <cwctype>
#include "ui/pure/Control.h"
#include "ui/pure/ManagerCore.h"

namespace {

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

// Controls the user presses: the caption strip does not drag over them.
bool IsInteractive(const CControlUI& control) {
    const std::wstring_view cls = control.GetClass();
    return EqualsNoCase(cls, L"ButtonUI") || EqualsNoCase(cls, L"OptionUI") || EqualsNoCase(cls, L"TextUI");
}

}  // namespace

int CaptionHitTest(const UIManagerCore& core, const UIRect& client, UIPoint pt, bool maximised) {
    const int x = pt.x, y = pt.y;
    if (!maximised) {
        const UIRect box = core.GetScaledSizeBox();
        if (y < client.top + box.top) {
            if (x < client.left + box.left) return UI_HTTOPLEFT;
            if (x > client.right - box.right) return UI_HTTOPRIGHT;
            return UI_HTTOP;
        }
        if (y > client.bottom - box.bottom) {
            if (x < client.left + box.left) return UI_HTBOTTOMLEFT;
            if (x > client.right - box.right) return UI_HTBOTTOMRIGHT;
            return UI_HTBOTTOM;
        }
        if (x < client.left + box.left) return UI_HTLEFT;
        if (x > client.right - box.right) return UI_HTRIGHT;
    }
    const UIRect caption = core.GetScaledCaptionRect();
    if (x >= client.left + caption.left && x < client.right - caption.right && y >= caption.top && y < caption.bottom) {
        const CControlUI* control = core.FindControlAt(pt);
        if (control && !IsInteractive(*control)) return UI_HTCAPTION;
    }
    return UI_HTCLIENT;
}
