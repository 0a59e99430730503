#include "ui/WindowWnd.h"
#include <map>
#include <string>
#include "ui/UIGlobals.h"

namespace {
// The system procedure of each subclassed class, found once when the class is registered.
std::map<std::wstring, WNDPROC>& SuperProcs() {
    static std::map<std::wstring, WNDPROC> procs;
    return procs;
}

CWindowWnd* FromCreate(HWND hWnd, UINT uMsg, LPARAM lParam) {
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}
}  // namespace

const wchar_t* CWindowWnd::GetSuperClassName() const { return nullptr; }
UINT CWindowWnd::GetClassStyle() const { return 0; }
void CWindowWnd::OnFinalMessage(HWND) {}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(OldWndProc_, hWnd_, uMsg, wParam, lParam);
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CWindowWnd::WindowProc;
    wc.hInstance = UIGetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    // Registering twice fails with "already exists": the class is there, which is enough.
    return ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(UIGetInstance(), GetSuperClassName(), &wc))
        return false;
    OldWndProc_ = wc.lpfnWndProc;
    SuperProcs()[GetWindowClassName()] = wc.lpfnWndProc;
    wc.lpfnWndProc = &CWindowWnd::ControlProc;
    wc.hInstance = UIGetInstance();
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                        int x, int y, int cx, int cy, HMENU menu) {
    if (GetSuperClassName() != nullptr) {
        if (!RegisterSuperclass()) return nullptr;
        OldWndProc_ = SuperProcs()[GetWindowClassName()];
        bSubclassed_ = true;
    } else if (!RegisterWindowClass()) {
        return nullptr;
    }
    hWnd_ = ::CreateWindowExW(exStyle, GetWindowClassName(), title, style, x, y, cx, cy, parent,
                               menu, UIGetInstance(), this);
    return hWnd_;
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = FromCreate(hWnd, uMsg, lParam);
    if (self == nullptr) return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCCREATE) self->hWnd_ = hWnd;
    if (uMsg != WM_NCDESTROY) return self->HandleMessage(uMsg, wParam, lParam);
    // The last message: let the handler see it, then forget the handle before the final call,
    // which may delete the object.
    LRESULT result = self->HandleMessage(uMsg, wParam, lParam);
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    self->hWnd_ = nullptr;
    self->OnFinalMessage(hWnd);
    return result;
}

LRESULT CALLBACK CWindowWnd::ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return WindowProc(hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::CenterWindow() {
    if (!::IsWindow(hWnd_)) return;
    RECT window = {};
    ::GetWindowRect(hWnd_, &window);
    const HWND owner = ::GetWindow(hWnd_, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;
    RECT center = area;
    if (owner != nullptr && ::IsWindow(owner)) ::GetWindowRect(owner, &center);
    const int w = window.right - window.left, h = window.bottom - window.top;
    int left = (center.left + center.right) / 2 - w / 2;
    int top = (center.top + center.bottom) / 2 - h / 2;
    // Back inside the work area: left and top edges first, then right and bottom.
    if (left < area.left) left = area.left;
    if (top < area.top) top = area.top;
    if (left + w > area.right) left = area.right - w;
    if (top + h > area.bottom) top = area.bottom - h;
    ::SetWindowPos(hWnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(hWnd_)) return;
    ::ShowWindow(hWnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::Close(UINT code) {
    if (hWnd_ != nullptr && ::IsWindow(hWnd_)) ::PostMessageW(hWnd_, WM_CLOSE, code, 0);
}
