#pragma once
// The system rich edit (msftedit.dll, "RICHEDIT50W") as a child window over a rich-edit
// control. Its own scroll bar stays hidden: the control's skinned scroll bar drives it,
// and it reports its scrolling back through kMsgRichEditScrolled to the parent.
#include <windows.h>
#include <string>
#include "base/Handles.h"

// wParam: the new vertical scroll position; lParam: the rich edit window.
inline constexpr UINT kMsgRichEditScrolled = WM_APP + 0x3A3;
// Sent when the rich edit took the keyboard focus (a click into it); lParam: its window.
inline constexpr UINT kMsgRichEditFocused = WM_APP + 0x3A4;

struct RichEditLooks {
    std::wstring face;
    int fontSize = 12;  // pixels of the window (at its scale)
    bool bold = false, italic = false, underline = false;
    COLORREF textColor = 0;
    COLORREF bkColor = RGB(255, 255, 255);
    bool readOnly = true;
    bool multiLine = true;
    int maxChar = 30000;
    friend bool operator==(const RichEditLooks&, const RichEditLooks&) = default;
};

class CNativeRichEdit {
public:
    // Creates the window (hidden) under `parent`. False when msftedit.dll is missing.
    [[nodiscard]] bool Create(HWND parent, const RichEditLooks& looks);
    // Applies the looks when they differ from those applied last (reformatting is costly).
    void SetLooks(const RichEditLooks& looks);
    // Sets the text when it differs from what the window shows.
    void SetText(const std::wstring& text);
    std::wstring GetText() const;
    // Places the window; `inset` is the margin between its edges and the text.
    void Place(const RECT& rect, const RECT& inset, bool visible, bool enabled);
    // Total height of the text (inset included) and the visible height.
    int ContentHeight() const;
    int ViewHeight() const;
    int GetScrollY() const;
    void SetScrollY(int y);
    HWND hwnd() const { return window_.get(); }
    void Destroy() { window_.reset(); }
    void Forget() { window_.release(); }  // the system already destroyed it

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    UniqueWindow window_;
    RECT inset_ = {};
    std::wstring text_;
    RichEditLooks looks_;
    bool looksApplied_ = false;
};
