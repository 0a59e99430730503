#include "windows/SkinWindow.h"

#include <windowsx.h>
#include "engine/ResStrings.h"
#include "ui/UIGlobals.h"
#include "ui/pure/CaptionHitTest.h"
#include "ui/pure/Option.h"
#include "ui/pure/Progress.h"

namespace {

// The skin draws its own title strip; the clip styles keep native children out of the
// painting.
constexpr DWORD kCaptionDropped = ~static_cast<DWORD>(WS_CAPTION);
constexpr DWORD kClipping = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert(kCaptionDropped == 0xFF3FFFFF && kClipping == 0x06000000);

void PrepareSkinWindow(HWND window, CWindowManager& manager) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
    ::SetWindowLongW(window, GWL_STYLE, static_cast<LONG>((style & kCaptionDropped) | kClipping));
    manager.Init(window);
}

// The string-table texts of the default actions a screen reader names.
constexpr UINT kStringPress = 191, kStringCheck = 192, kStringUncheck = 193, kStringJump = 194;

// Names for assistive technology: the layouts number the string-table entries ("nameid")
// of the window and of the controls whose caption is drawn in their image.
void NameFromStringTable(CWindowManager& manager) {
    const HINSTANCE strings = UIGetInstance();
    if (const unsigned id = manager.GetWindowAttributes().nameId)
        manager.SetAccessibleName(LoadResString(strings, id, L""));
    if (CControlUI* root = manager.GetRoot()) {
        root->FindControl([strings](CControlUI* control) {
            if (const unsigned id = control->GetNameId()) {
                const CUIString name = LoadResString(strings, id, L"");
                if (!name.empty()) control->SetAccessibleName(name);
            }
            return false;
        }, UIFIND_ALL);
    }
    UISetAccessibleActionNames(LoadResString(strings, kStringPress, L""), LoadResString(strings, kStringCheck, L""),
                               LoadResString(strings, kStringUncheck, L""), LoadResString(strings, kStringJump, L""));
}

void LoadSkinLayout(CWindowManager& manager, UINT layoutId, INotifyUI* receiver) {
    std::unique_ptr<CControlUI> root = manager.Build(layoutId, L"XML");
    if (!root) return;
    manager.AttachDialog(std::move(root));
    NameFromStringTable(manager);
    manager.AddNotifier(receiver);
}

LRESULT SkinHitTest(HWND window, const CWindowManager& manager, LPARAM lParam) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(window, &pt);
    RECT client = {};
    ::GetClientRect(window, &client);
    const UIRect clientRect{client.left, client.top, client.right, client.bottom};
    return CaptionHitTest(manager, clientRect, UIPoint{pt.x, pt.y}, ::IsZoomed(window) != FALSE);
}

}  // namespace

HWND CSkinWindow::Open(HWND parent, SkinWindowLife life) {
    const HWND window = Create(parent, kSetupWindowTitle, kSetupWindowStyle, kSetupWindowExStyle, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
    if (window == nullptr) return nullptr;
    ownsItself_ = life == SkinWindowLife::DeletedWithWindow;
    CenterWindow();
    ShowWindow(true, true);
    return window;
}

const wchar_t* CSkinWindow::GetWindowClassName() const { return kSetupWindowClass; }
const wchar_t* CSkinWindow::GetSuperClassName() const { return nullptr; }
UINT CSkinWindow::GetClassStyle() const { return 0; }
std::optional<LRESULT> CSkinWindow::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

// A prompt run from a click handler keeps that handler on the stack while its nested
// loop may destroy this window; an object that owns itself is deleted only once the
// outermost handler call has returned, so no frame below is left with a dangling `this`.
LRESULT CSkinWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    ++handlerDepth_;
    const LRESULT result = Route(uMsg, wParam, lParam);
    if (--handlerDepth_ == 0 && deletePending_) delete this;
    return result;
}

void CSkinWindow::OnFinalMessage(HWND) {
    if (!ownsItself_) return;  // a prompt, or creation failed: the caller still owns the object
    if (handlerDepth_ > 0) {
        deletePending_ = true;
        return;
    }
    delete this;  // the per-window manager goes with it
}

LRESULT CSkinWindow::Route(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        PrepareSkinWindow(hWnd_, pm_);
        BeforeLayout();
        LoadSkinLayout(pm_, layoutId_, this);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_NCHITTEST:
        return SkinHitTest(hWnd_, pm_, lParam);
    default:
        break;
    }
    if (const std::optional<LRESULT> own = OnMessage(uMsg, wParam, lParam)) return *own;
    LRESULT result = 0;
    if (pm_.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
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

void SelectControl(CWindowManager& manager, std::wstring_view name, bool selected) {
    if (auto* option = ui_cast<COptionUI>(manager.FindControl(name), L"Option")) option->Selected(selected);
}
