#include "windows/SkinWindow.h"

#include <windowsx.h>
#include "ui/pure/CaptionHitTest.h"
#include "ui/pure/Option.h"
#include "ui/pure/Progress.h"

void PrepareSkinWindow(HWND window, CWindowManager& manager) {
    LONG style = ::GetWindowLongW(window, GWL_STYLE);
    style = (style & 0xFF3FFFFF) | 0x06000000;  // no WS_CAPTION; WS_CLIPSIBLINGS | WS_CLIPCHILDREN
    ::SetWindowLongW(window, GWL_STYLE, style);
    manager.Init(window);
}

bool LoadSkinLayout(CWindowManager& manager, UINT layoutId, INotifyUI* receiver) {
    std::unique_ptr<CControlUI> root = manager.Build(layoutId, L"XML");
    if (!root) return false;
    manager.AttachDialog(std::move(root));
    manager.AddNotifier(receiver);
    return true;
}

LRESULT SkinHitTest(HWND window, const CWindowManager& manager, LPARAM lParam) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(window, &pt);
    RECT client = {};
    ::GetClientRect(window, &client);
    const UIRect clientRect{client.left, client.top, client.right, client.bottom};
    return CaptionHitTest(manager, clientRect, UIPoint{pt.x, pt.y}, ::IsZoomed(window) != FALSE);
}

bool IsNotify(const TNotifyUI& msg, std::wstring_view type) { return msg.sType == type; }

bool SenderIs(const TNotifyUI& msg, std::wstring_view name) {
    return msg.pSender != nullptr && msg.pSender->GetName() == name;
}

void SetControlText(CWindowManager& manager, std::wstring_view name, std::wstring_view text) {
    if (CControlUI* control = manager.FindControl(name)) control->SetText(text);
}

CUIString GetControlText(CWindowManager& manager, std::wstring_view name) {
    CControlUI* control = manager.FindControl(name);
    return control ? control->GetText() : CUIString();
}

void ShowControl(CWindowManager& manager, std::wstring_view name, bool visible) {
    if (CControlUI* control = manager.FindControl(name)) control->SetVisible(visible);
}

void EnableControl(CWindowManager& manager, std::wstring_view name, bool enabled) {
    if (CControlUI* control = manager.FindControl(name)) control->SetEnabled(enabled);
}

void SetControlBkImage(CWindowManager& manager, std::wstring_view name, std::wstring_view image) {
    if (CControlUI* control = manager.FindControl(name)) control->SetBkImage(image);
}

void SetProgressValue(CWindowManager& manager, std::wstring_view name, int value) {
    if (auto* progress = ui_cast<CProgressUI>(manager.FindControl(name), L"Progress")) progress->SetValue(value);
}

bool IsControlSelected(CWindowManager& manager, std::wstring_view name, bool fallback) {
    auto* option = ui_cast<COptionUI>(manager.FindControl(name), L"Option");
    return option ? option->IsSelected() : fallback;
}
