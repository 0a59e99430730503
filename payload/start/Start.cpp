// "Start.exe": the client's launcher. Starts "Vexmora-PC.exe" from its own folder and ends.
#include <windows.h>
#include <string>
#include "base/Process.h"
#include "base/pure/CommandLine.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring client(self, length);
    client.erase(client.rfind(L'\\') + 1);
    client += L"Vexmora-PC.exe";

    ProcessStart start;
    start.program = client;
    start.commandLine = QuoteCommandPath(client);
    return StartProcess(start) ? 0 : 1;
}
