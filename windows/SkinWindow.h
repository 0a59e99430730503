#pragma once
// What the five setup windows share: their class, title and styles, the steps of their
// WM_CREATE, the caption hit test and the look-up of controls by name. A control is
// found each time it is needed; a name the layout lacks makes the step do nothing.
#include <windows.h>
#include <string_view>
#include "ui/WindowManager.h"
#include "ui/pure/Notify.h"

inline constexpr wchar_t kSetupWindowClass[] = L"UIMainFrame";
inline constexpr wchar_t kSetupWindowTitle[] = L"VexmoraFM";
inline constexpr DWORD kSetupWindowStyle = 0x96C80000;  // popup, visible, clipping, caption, system menu
inline constexpr DWORD kSetupWindowExStyle = 0x00000100;  // WS_EX_WINDOWEDGE

// WM_CREATE, first steps: the skin draws its own title strip, so the system caption goes,
// and the clip styles keep native children out of the painting; then the manager is
// bound to the window.
void PrepareSkinWindow(HWND window, CWindowManager& manager);

// WM_CREATE, last steps: builds layout `layoutId` of type "XML", makes it the window's
// tree and registers `receiver` for its notifications. False when the layout cannot be
// built (the window then stays empty).
bool LoadSkinLayout(CWindowManager& manager, UINT layoutId, INotifyUI* receiver);

// WM_NCHITTEST: the size-box edges, the layout's caption strip (except over buttons,
// options and text), else the client area.
LRESULT SkinHitTest(HWND window, const CWindowManager& manager, LPARAM lParam);

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
