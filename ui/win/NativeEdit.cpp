#include "ui/win/NativeEdit.h"
#include <commctrl.h>
#include "ui/UIGlobals.h"

bool CNativeEdit::Open(HWND parent, const NativeEditOptions& o) {
    Close();
    DWORD style = WS_CHILD | ES_AUTOHSCROLL | ES_LEFT;
    if (o.readOnly) style |= ES_READONLY;
    if (o.password) style |= ES_PASSWORD;
    if (o.numberOnly) style |= ES_NUMBER;
    font_ = o.font;
    const RECT r = LineRect(o.rect);
    window_.reset(::CreateWindowExW(0, L"EDIT", o.text.c_str(), style, r.left, r.top, r.right - r.left,
                                    r.bottom - r.top, parent, nullptr, UIGetInstance(), nullptr));
    if (!window_) return false;
    ending_ = false;
    HWND edit = window_.get();
    // Without its font set the native edit cannot show Chinese.
    if (font_) ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    ::SendMessageW(edit, EM_LIMITTEXT, o.maxChar > 0 ? o.maxChar : 0, 0);
    if (o.password) ::SendMessageW(edit, EM_SETPASSWORDCHAR, o.passwordChar, 0);
    ::SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ::SetWindowSubclass(edit, &CNativeEdit::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    ::ShowWindow(edit, SW_SHOW);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    return true;
}

RECT CNativeEdit::LineRect(const RECT& rect) const {
    int line = 16;
    UniqueWindowDC screen(nullptr, ::GetDC(nullptr));
    if (HDC dc = screen.get()) {
        HGDIOBJ old = font_ ? ::SelectObject(dc, font_) : nullptr;
        TEXTMETRICW tm = {};
        if (::GetTextMetricsW(dc, &tm)) line = tm.tmHeight + 2;
        if (old) ::SelectObject(dc, old);
    }
    const int height = rect.bottom - rect.top;
    if (line >= height) return rect;
    const int top = rect.top + (height - line) / 2;
    return RECT{rect.left, top, rect.right, top + line};
}

void CNativeEdit::Move(const RECT& rect) {
    if (!window_) return;
    const RECT r = LineRect(rect);
    ::SetWindowPos(window_.get(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CNativeEdit::SetFont(HFONT font) {
    font_ = font;
    if (window_ && font_) ::SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

std::wstring CNativeEdit::GetText() const {
    if (!window_) return {};
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window_.get())) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window_.get(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void CNativeEdit::SetText(const std::wstring& text) {
    if (!window_) return;
    ::SetWindowTextW(window_.get(), text.c_str());
    const LPARAM end = static_cast<LPARAM>(text.size());
    ::SendMessageW(window_.get(), EM_SETSEL, static_cast<WPARAM>(end), end);
}

void CNativeEdit::Close() {
    if (!window_) return;
    ending_ = true;
    ::RemoveWindowSubclass(window_.get(), &CNativeEdit::SubclassProc, 1);
    window_.reset();
}

LRESULT CALLBACK CNativeEdit::SubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<CNativeEdit*>(data);
    HWND parent = ::GetParent(hWnd);
    auto end = [&](NativeEditEnd why) {
        if (self->ending_) return;
        self->ending_ = true;
        ::PostMessageW(parent, kMsgNativeEditEnd, static_cast<WPARAM>(why), reinterpret_cast<LPARAM>(hWnd));
    };
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            end(NativeEditEnd::Return);
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            end(NativeEditEnd::Cancel);
            return 0;
        }
        break;
    case WM_CHAR:
        // Return and Escape are handled on the key press; their characters would only beep.
        if (wParam == L'\r' || wParam == 0x1B) return 0;
        break;
    case WM_KILLFOCUS:
        end(NativeEditEnd::FocusLost);
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | ::DefSubclassProc(hWnd, msg, wParam, lParam);
    default:
        break;
    }
    return ::DefSubclassProc(hWnd, msg, wParam, lParam);
}
