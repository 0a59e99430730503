#pragma once
// The native window base of every framework window: it registers (or subclasses) the
// window class, stores `this` at creation and routes every message to HandleMessage.
#include <windows.h>

class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;
    virtual ~CWindowWnd() = default;

    HWND GetHWND() const { return hWnd_; }
    operator HWND() const { return hWnd_; }

    // Creates the native window; returns it, or nullptr when registration or creation
    // failed. With a super-class name the window subclasses that system class, otherwise
    // it registers its own class (once per process) under GetWindowClassName.
    [[nodiscard]] HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT, HMENU menu = nullptr);

    // Centres over the owner, or over the work area of the nearest monitor, then pulls the
    // window back inside that work area. Size, Z order and activation are unchanged.
    void CenterWindow();
    // Hides, or shows normally (takeFocus) or without activation.
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Posts WM_CLOSE carrying `code` as wParam; does nothing once the window is gone.
    void Close(UINT code = IDOK);

protected:
    // Slots in this order: class name, super class, class style, handler, final message.
    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    HWND hWnd_ = nullptr;
    WNDPROC OldWndProc_ = ::DefWindowProcW;
    bool bSubclassed_ = false;

private:
    bool RegisterWindowClass();
    bool RegisterSuperclass();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM);
};
