#pragma once
// The native single-line EDIT window laid over an edit control while the user types.
// It reports the end of editing to its parent with a posted kMsgNativeEditEnd, so the
// window is never destroyed inside its own message handling.
#include <windows.h>
#include <string>
#include "base/Handles.h"

// wParam: the NativeEditEnd reason; lParam: the edit window.
inline constexpr UINT kMsgNativeEditEnd = WM_APP + 0x3A1;

enum class NativeEditEnd : WPARAM { FocusLost = 1, Return = 2, Cancel = 3 };

struct NativeEditOptions {
    std::wstring text;
    RECT rect = {};            // the control's text area, client coordinates of the parent
    HFONT font = nullptr;
    COLORREF textColor = 0;
    int maxChar = 255;
    bool readOnly = false;
    bool password = false;
    wchar_t passwordChar = L'*';
    bool numberOnly = false;
};

class CNativeEdit {
public:
    CNativeEdit() = default;
    CNativeEdit(const CNativeEdit&) = delete;
    CNativeEdit& operator=(const CNativeEdit&) = delete;

    // Creates the window over `options.rect`, selects all and takes the focus.
    [[nodiscard]] bool Open(HWND parent, const NativeEditOptions& options);
    // Moves it (the control moved); the height stays one text line, centred.
    void Move(const RECT& rect);
    // Another font (the window's scale changed); Move afterwards for the new line height.
    void SetFont(HFONT font);
    std::wstring GetText() const;
    // Replaces the text (the control's text was set while editing); the caret goes to its end.
    void SetText(const std::wstring& text);
    // Destroys the window without reporting anything.
    void Close();
    void Forget() { window_.release(); }  // the system already destroyed it
    HWND hwnd() const { return window_.get(); }
    bool IsOpen() const { return window_.valid(); }

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    RECT LineRect(const RECT& rect) const;

    UniqueWindow window_;
    HFONT font_ = nullptr;
    bool ending_ = false;
};
