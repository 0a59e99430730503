// uninstfx_install FOLDER ARCHIVE [--no-desktop] [--no-autostart]: one whole install as
// the setup's start button runs it, with the archive read from a file and no windows:
// the folder chain is created before any journal is open, an earlier installation's
// uninstaller recorded under "SoftwarePath" is run and waited for, the payload is
// unpacked (StartInstall), the registration runs (AfterInstall) and the journal is
// closed, and so encrypted, as the manager's destruction does. Prints, UTF-8:
//   previous <folder>     when an earlier installation was recorded
//   completed <0|1>       the extraction-completed flag
// Exit code 0 when the extraction completed and the registration ran.
#include <windows.h>

#include <string>
#include <tuple>

#include "engine/Extraction.h"
#include "engine/FolderChain.h"
#include "engine/InstallRun.h"
#include "engine/Processes.h"
#include "engine/Registration.h"
#include "engine/RegistryRead.h"
#include "base/Handles.h"
#include "ui/MessageLoop.h"
#include "base/pure/Utf.h"

namespace {

void Print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const std::string utf8 = Utf16ToUtf8(text);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// What BeforeInstall does: the recorded folder's uninstaller, whatever folder is chosen.
void RunEarlierUninstaller() {
    CUIString previous;
    if (ReadRegistryString(HKEY_LOCAL_MACHINE,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.exe",
                           L"SoftwarePath", previous) &&
        !previous.empty()) {
        Print(L"previous " + previous);
        std::ignore = RunPreviousUninstaller(previous);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    UniqueFile archive(::CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!archive) return 3;
    UniqueHandle mapping(::CreateFileMappingW(archive.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    const void* view = mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) return 4;
    const PayloadBytes bytes(static_cast<const std::uint8_t*>(view), ::GetFileSize(archive.get(), nullptr));

    // A hidden stand-in for the main window: it receives the install events and ignores them.
    HWND window = ::CreateWindowExW(0, L"STATIC", L"uninstfx", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    InstallState state(::GetModuleHandleW(nullptr));
    state.installPath = argv[1];
    for (int i = 3; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--no-desktop") state.options.desktopShortcut = false;
        if (std::wstring(argv[i]) == L"--no-autostart") state.options.autoStart = false;
    }
    if (!CreateFolderChain(state.installPath, state.journal.get())) return 5;
    RunEarlierUninstaller();

    ExtractionHooks hooks = ProgramExtractionHooks(state);
    hooks.payload = [bytes] { return bytes; };
    hooks.prompt = [](const CUIString&) { return FailureAnswer::Abort; };
    hooks.pump = UIPumpMessages;
    StartInstall(state, window, hooks);
    UIPumpMessages();
    Print(L"completed " + std::to_wstring(state.extractionCompleted ? 1 : 0));
    const bool registered = AfterInstall(state);
    state.journal.reset();
    ::UnmapViewOfFile(view);
    return registered ? 0 : 1;
}
