// "uninstall.exe", for now: notes that it ran, with its command line, in
// "uninstall-ran.txt" beside itself (one UTF-8 line per run), and ends. The setup runs
// an earlier installation's uninstaller and waits for it; this lets tests see that.
#include <windows.h>
#include <string>

namespace {
std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                              nullptr, nullptr);
    return out;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring note(self, length);
    note.erase(note.rfind(L'\\') + 1);
    note += L"uninstall-ran.txt";

    HANDLE file = ::CreateFileW(note.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const std::string line = "ran: " + Utf8(::GetCommandLineW()) + "\r\n";
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == line.size() ? 0 : 1;
}
