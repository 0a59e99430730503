#pragma once
// What the five setup windows share: their window base (class, title and styles, the
// layout built at creation, the caption hit test, the end of the loop that runs them,
// their lifetime) and the look-up of controls by name. A control is found each time it
// is needed; a name the layout lacks makes the step do nothing.
#include <windows.h>
#include <optional>
#include <string_view>
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Notify.h"

inline constexpr wchar_t kSetupWindowClass[] = L"UIMainFrame";
inline constexpr wchar_t kSetupWindowTitle[] = L"VexmoraFM";
inline constexpr DWORD kSetupWindowStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
inline constexpr DWORD kSetupWindowExStyle = WS_EX_WINDOWEDGE;
static_assert(kSetupWindowStyle == 0x96C80000 && kSetupWindowExStyle == 0x00000100);

// Who releases a setup window object: the main window deletes itself with its window;
// a prompt is released by whoever ran it, after its loop (never by its window).
enum class SkinWindowLife { ReleasedByCaller, DeletedWithWindow };

// The base of the setup windows. It routes: the shared messages here, the window's own
// in OnMessage, the rest to the per-window manager and the system.
//   WM_CREATE      the system caption goes (the skin draws its own title strip) and the
//                  clip styles keep native children out of the painting; the manager is
//                  bound; BeforeLayout; the layout is built, the window and the controls
//                  the layout numbers ("nameid") are named from the string table for
//                  screen readers, and this window receives its notifications (a layout
//                  that cannot be built leaves the window empty)
//   WM_DESTROY     posts the quit message that wakes the loop running the window, which
//                  then ends because its window is gone (ui/MessageLoop.h)
//   WM_NCHITTEST   the size-box edges, the layout's caption strip (except over buttons,
//                  options and text), else the client area
class CSkinWindow : public CWindowWnd, public INotifyUI {
public:
    // Creates the window with the setup windows' title and styles at CW_USEDEFAULT (its
    // layout sets the size), owned by `parent` (none for a top-level window), centres it
    // and shows it with focus. Null when it could not be created; the object then stays
    // the caller's whatever `life` says.
    [[nodiscard]] HWND Open(HWND parent, SkinWindowLife life);

protected:
    explicit CSkinWindow(UINT layoutId) : layoutId_(layoutId) {}

    // At creation, after the window is prepared and before its layout is built.
    virtual void BeforeLayout() {}
    // The window's own messages, before the manager's; a result when handled.
    virtual std::optional<LRESULT> OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    CWindowManager pm_;

private:
    const wchar_t* GetWindowClassName() const final;
    const wchar_t* GetSuperClassName() const final;
    UINT GetClassStyle() const final;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) final;
    void OnFinalMessage(HWND hWnd) final;
    LRESULT Route(UINT uMsg, WPARAM wParam, LPARAM lParam);

    const UINT layoutId_;
    bool ownsItself_ = false;    // DeletedWithWindow, once the window exists
    int handlerDepth_ = 0;       // HandleMessage calls on the stack
    bool deletePending_ = false;
};

// Notification helpers: type and sender name, compared exactly.
bool IsNotify(const TNotifyUI& msg, std::wstring_view type);
bool SenderIs(const TNotifyUI& msg, std::wstring_view name);

// Control helpers; each does nothing when the control is missing.
void SetControlText(CWindowManager& manager, std::wstring_view name, std::wstring_view text);
CUIString GetControlText(CWindowManager& manager, std::wstring_view name);
void ShowControl(CWindowManager& manager, std::wstring_view name, bool visible);
void EnableControl(CWindowManager& manager, std::wstring_view name, bool enabled);
void SetControlBkImage(CWindowManager& manager, std::wstring_view name, std::wstring_view image);
void SetProgressValue(CWindowManager& manager, std::wstring_view name, int value);
// The selected state of a check box; `fallback` when there is no such check box.
bool IsControlSelected(CWindowManager& manager, std::wstring_view name, bool fallback);
// Ticks or clears an option control; nothing when there is none of that name.
void SelectControl(CWindowManager& manager, std::wstring_view name, bool selected);
