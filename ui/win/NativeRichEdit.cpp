#include "ui/win/NativeRichEdit.h"
#include <commctrl.h>
#include <richedit.h>
#include "ui/UIGlobals.h"

namespace {
// Twips (1/1440 inch) for `pixels` at the DPI the control draws with.
LONG PixelsToTwips(HWND window, int pixels) {
    int dpi = 96;
    if (HDC dc = ::GetDC(window)) {
        dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(window, dc);
    }
    return ::MulDiv(pixels, 1440, dpi > 0 ? dpi : 96);
}

// The rich edit library stays loaded for the life of the process once a window used it.
bool LoadRichEditLibrary() {
    static const bool loaded = ::LoadLibraryW(L"msftedit.dll") != nullptr;
    return loaded;
}
}  // namespace

bool CNativeRichEdit::Create(HWND parent, const RichEditLooks& looks) {
    if (!LoadRichEditLibrary()) return false;
    DWORD style = WS_CHILD | ES_NOHIDESEL | ES_AUTOVSCROLL;
    if (looks.multiLine) style |= ES_MULTILINE;
    if (looks.readOnly) style |= ES_READONLY;
    window_.reset(::CreateWindowExW(0, MSFTEDIT_CLASS, L"", style, 0, 0, 0, 0, parent, nullptr, UIGetInstance(),
                                    nullptr));
    if (!window_) return false;
    ::SendMessageW(window_.get(), EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    ::SetWindowSubclass(window_.get(), &CNativeRichEdit::SubclassProc, 1, 0);
    SetLooks(looks);
    return true;
}

void CNativeRichEdit::SetLooks(const RichEditLooks& looks) {
    HWND w = window_.get();
    if (!w || (looksApplied_ && looks == looks_)) return;
    looks_ = looks;
    looksApplied_ = true;
    ::SendMessageW(w, EM_EXLIMITTEXT, 0, looks.maxChar > 0 ? looks.maxChar : 30000);
    ::SendMessageW(w, EM_SETREADONLY, looks.readOnly, 0);
    ::SendMessageW(w, EM_SETBKGNDCOLOR, 0, looks.bkColor);
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_CHARSET;
    cf.crTextColor = looks.textColor;
    cf.bCharSet = DEFAULT_CHARSET;
    lstrcpynW(cf.szFaceName, looks.face.c_str(), LF_FACESIZE);
    // The control measures in twips and turns them into pixels at its screen's DPI; the
    // size wanted is in pixels of the window (already at its scale).
    cf.yHeight = PixelsToTwips(w, looks.fontSize);
    cf.dwEffects = (looks.bold ? CFE_BOLD : 0) | (looks.italic ? CFE_ITALIC : 0) | (looks.underline ? CFE_UNDERLINE : 0);
    ::SendMessageW(w, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    ::SendMessageW(w, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
}

void CNativeRichEdit::SetText(const std::wstring& text) {
    if (!window_ || text == text_) return;
    text_ = text;
    ::SetWindowTextW(window_.get(), text.c_str());
    SetScrollY(0);
}

std::wstring CNativeRichEdit::GetText() const {
    if (!window_) return {};
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window_.get())) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window_.get(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void CNativeRichEdit::Place(const RECT& rect, const RECT& inset, bool visible, bool enabled) {
    HWND w = window_.get();
    if (!w) return;
    const int cx = rect.right - rect.left, cy = rect.bottom - rect.top;
    visible = visible && cx > 0 && cy > 0;
    ::SetWindowPos(w, nullptr, rect.left, rect.top, cx, cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    ::EnableWindow(w, enabled);
    inset_ = inset;
    RECT text = {inset.left, inset.top, cx - inset.right, cy - inset.bottom};
    ::SendMessageW(w, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&text));
}

int CNativeRichEdit::GetScrollY() const {
    POINT pos = {};
    if (window_) ::SendMessageW(window_.get(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
    return pos.y;
}

void CNativeRichEdit::SetScrollY(int y) {
    if (!window_ || GetScrollY() == y) return;
    POINT pos = {0, y};
    ::SendMessageW(window_.get(), EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
}

int CNativeRichEdit::ViewHeight() const {
    RECT client = {};
    if (window_) ::GetClientRect(window_.get(), &client);
    return client.bottom - client.top;
}

int CNativeRichEdit::ContentHeight() const {
    HWND w = window_.get();
    if (!w) return 0;
    const int length = ::GetWindowTextLengthW(w);
    POINTL first = {}, second = {}, last = {};
    ::SendMessageW(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), 0);
    ::SendMessageW(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last), length);
    // One line's height: the distance to the second line, or the font's line when there is one line.
    int line = 0;
    const LRESULT lineTwo = ::SendMessageW(w, EM_LINEINDEX, 1, 0);
    if (lineTwo > 0) {
        ::SendMessageW(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&second), lineTwo);
        line = second.y - first.y;
    }
    if (line <= 0) {
        CHARFORMAT2W cf = {};
        cf.cbSize = sizeof(cf);
        ::SendMessageW(w, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
        line = MulDiv(looks_.fontSize, 4, 3) + 1;
    }
    return last.y + GetScrollY() + line + inset_.bottom;
}

LRESULT CALLBACK CNativeRichEdit::SubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR) {
    if (msg == WM_SETFOCUS) {
        // The window's focus moves to the rich edit's control, so that Tab goes on from it.
        const LRESULT result = ::DefSubclassProc(hWnd, msg, wParam, lParam);
        ::SendMessageW(::GetParent(hWnd), kMsgRichEditFocused, 0, reinterpret_cast<LPARAM>(hWnd));
        return result;
    }
    const bool input = (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
                       msg == WM_VSCROLL || msg == WM_TIMER;
    if (!input) return ::DefSubclassProc(hWnd, msg, wParam, lParam);
    POINT before = {}, after = {};
    ::SendMessageW(hWnd, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&before));
    const LRESULT result = ::DefSubclassProc(hWnd, msg, wParam, lParam);
    // Whatever scrolled the text (keys, selection, the wheel), the skinned bar follows it.
    ::SendMessageW(hWnd, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&after));
    if (after.y != before.y)
        ::PostMessageW(::GetParent(hWnd), kMsgRichEditScrolled, static_cast<WPARAM>(after.y),
                       reinterpret_cast<LPARAM>(hWnd));
    return result;
}
