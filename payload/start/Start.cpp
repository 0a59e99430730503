// "Start.exe": the client's launcher. Starts "Vexmora-PC.exe" from its own folder and ends.
#include <windows.h>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring client(self, length);
    client.erase(client.rfind(L'\\') + 1);
    client += L"Vexmora-PC.exe";

    std::wstring commandLine = L"\"" + client + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(client.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process))
        return 1;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}
