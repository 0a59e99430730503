// fx_shortname PATH: prints the 8.3 short form of an existing PATH (GetShortPathNameW), as
// UTF-8, the way a program or an old shortcut may hand a folder to the setup.
// Exit code 0 on success, 1 when the system has no short form to give.
#include <windows.h>

#include <string>
#include "base/pure/Utf.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetShortPathNameW(argv[1], buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::string text = Utf16ToUtf8(std::wstring_view(buffer, length));
    text += "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return 0;
}
