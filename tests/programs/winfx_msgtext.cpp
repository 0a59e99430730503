// What a person reads in the message box on the screen: finds the visible dialog window
// (class "#32770") and prints, UTF-8, its caption on the first line and then the text of
// each of its static controls, one a line.
//   winfx_msgtext.exe         exit code 0 when a message box was found, 1 when none
#include <windows.h>

#include <string>

#include "base/pure/Utf.h"

namespace {

void Print(const std::wstring& line) {
    const std::string bytes = Utf16ToUtf8(line + L"\n");
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

BOOL CALLBACK PrintStatic(HWND child, LPARAM) {
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (::lstrcmpiW(className, L"Static") == 0 && ::GetWindowTextLengthW(child) > 0) Print(TextOf(child));
    return TRUE;
}

}  // namespace

int wmain() {
    HWND box = nullptr;
    while ((box = ::FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
        if (!::IsWindowVisible(box)) continue;
        Print(TextOf(box));
        ::EnumChildWindows(box, PrintStatic, 0);
        return 0;
    }
    return 1;
}
