// Puts the UTF-8 text of a file on the clipboard as Unicode text, the way a person copies
// a folder name before pasting it: the end-to-end tests paste Chinese folder names into
// the setup's edit with Ctrl+V (typing them through X keymaps loses characters). Without
// a file it prints the clipboard's Unicode text as UTF-8 (what a person copied).
//   winfx_clip.exe FILE       exit code 0 when the clipboard holds the text
//   winfx_clip.exe            exit code 0 when there was text to print
#include <windows.h>
#include <cstring>
#include <string>
#include "base/pure/Utf.h"

namespace {
int PrintClipboard() {
    if (!::OpenClipboard(nullptr)) return 3;
    std::string text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = Utf16ToUtf8(std::wstring_view(wide));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return text.empty() ? 4 : 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 1) return PrintClipboard();
    if (argc != 2) return 1;
    HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    char bytes[4096];
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file, bytes, sizeof(bytes), &read, nullptr);
    ::CloseHandle(file);
    if (!ok) return 2;
    const std::wstring wide = Utf8ToUtf16(std::string_view(bytes, read));
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory) return 3;
    auto* text = static_cast<wchar_t*>(::GlobalLock(memory));
    wide.copy(text, wide.size());
    text[wide.size()] = L'\0';
    ::GlobalUnlock(memory);
    if (!::OpenClipboard(nullptr)) return 3;
    ::EmptyClipboard();
    const bool placed = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;  // the system owns it now
    ::CloseClipboard();
    return placed ? 0 : 3;
}
