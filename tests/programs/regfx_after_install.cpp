// Runs the registration on a state built from the command line and prints what happened,
// for tests/system/registration_test.py. Output is UTF-8, one "key=value" per line.
//
//   regfx_after_install run FOLDER [--no-journal] [--incomplete] [--no-autostart]
//                       [--no-desktop]
//       result=0|1, resets=<INSTALL_EVENT_RESET count>, reset_inside=0|1 (the event
//       arrived before AfterInstall returned), mutex_held=0|1 (the state still holds
//       them), mutex_alive=0|1 (the named mutex "isRunning" or "Global\\isRunning" still
//       exists), version=<what GetSetupVersion reads>, then one "journal=<line>" per
//       journal record as the uninstaller reads them (registration committed the run),
//       read just before the journal is closed.
//   regfx_after_install readlink LINK...
//       per link: link=<LINK>, then hr, path, arguments, description, showcmd, workdir,
//       icon, iconindex as read back through the shell's link object.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/InstallEvents.h"
#include "engine/InstallJournal.h"
#include "engine/InstallState.h"
#include "journal/JournalFiles.h"
#include "journal/JournalText.h"
#include "engine/Registration.h"
#include "engine/SystemInfo.h"
#include "base/Handles.h"
#include "base/pure/Utf.h"

namespace {

void Print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const std::string bytes = Utf16ToUtf8(text);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void PrintRaw(const std::string& bytes) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                nullptr);
}

// What the stand-in main window saw.
struct WindowLog {
    int resets = 0;
    bool insideAfterInstall = false;
    bool resetInside = false;
};
WindowLog g_log;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INSTALL_EVENT && wParam == INSTALL_EVENT_RESET && lParam == 0) {
        ++g_log.resets;
        g_log.resetInside = g_log.insideAfterInstall;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

UniqueWindow CreateStandInWindow(HINSTANCE instance) {
    WNDCLASSW cls = {};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.lpszClassName = L"RegfxStandIn";
    ::RegisterClassW(&cls);
    return UniqueWindow(::CreateWindowExW(0, cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          instance, nullptr));
}

// The journal as the uninstaller reads it: the encrypted file that registration
// finished, and a plain one beside it when it could not.
void PrintJournal(const std::wstring& path) {
    // Held here: the records are views into its text.
    const StoredJournal stored = ReadStoredJournal(path);
    for (std::string_view record : journal::SplitJournal(stored.text).records)
        PrintRaw("journal=" + std::string(record) + "\n");
}

// What the extraction would have found in its archive: the uninstall entry's size.
constexpr std::uint64_t kPayloadBytes = 3 * 1024 * 1024 + 1;

bool HasFlag(int argc, wchar_t** argv, const wchar_t* flag) {
    for (int i = 3; i < argc; ++i) {
        if (std::wstring(argv[i]) == flag) return true;
    }
    return false;
}

int Run(int argc, wchar_t** argv) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    InstallState state(instance);
    state.installPath = argv[2];
    state.extractionCompleted = !HasFlag(argc, argv, L"--incomplete");
    state.payloadUnpackedBytes = kPayloadBytes;
    state.options.autoStart = !HasFlag(argc, argv, L"--no-autostart");
    state.options.desktopShortcut = !HasFlag(argc, argv, L"--no-desktop");
    state.singleInstanceMutex.local.reset(::CreateMutexW(nullptr, FALSE, L"isRunning"));
    state.singleInstanceMutex.global.reset(::CreateMutexW(nullptr, FALSE, L"Global\\isRunning"));
    const UniqueWindow window = CreateStandInWindow(instance);
    state.window = window.get();
    const std::wstring journalPath = state.installPath + L"\\uninstall";
    if (!HasFlag(argc, argv, L"--no-journal")) {
        // As the setup's run has it once its files are written: the run begun in the
        // journal, which registration then commits.
        state.journal = std::make_unique<InstallJournal>();
        state.journal->open(journalPath);
        state.journal->begin(state.installPath);
    }

    g_log.insideAfterInstall = true;
    const bool result = AfterInstall(state);
    g_log.insideAfterInstall = false;

    const UniqueHandle probe(::OpenMutexW(SYNCHRONIZE, FALSE, L"isRunning"));
    const UniqueHandle probeGlobal(::OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\isRunning"));
    std::wstring version;
    GetSetupVersion(version);
    Print(L"result=" + std::to_wstring(result));
    Print(L"resets=" + std::to_wstring(g_log.resets));
    Print(L"reset_inside=" + std::to_wstring(g_log.resetInside));
    Print(L"mutex_held=" + std::to_wstring(static_cast<bool>(state.singleInstanceMutex)));
    Print(L"mutex_alive=" + std::to_wstring(probe.valid() || probeGlobal.valid()));
    Print(L"version=" + version);
    if (state.journal) {
        PrintJournal(journalPath);
        state.journal->close();
    }
    return 0;
}

void ReadLink(const wchar_t* link) {
    Print(std::wstring(L"link=") + link);
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> file;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    shellLink.put_void());
    if (SUCCEEDED(hr)) hr = shellLink->QueryInterface(IID_IPersistFile, file.put_void());
    if (SUCCEEDED(hr)) hr = file->Load(link, STGM_READ);
    Print(L"hr=" + std::to_wstring(static_cast<long>(hr)));
    if (FAILED(hr)) return;
    wchar_t text[1024] = {};
    shellLink->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
    Print(std::wstring(L"path=") + text);
    text[0] = 0;
    shellLink->GetArguments(text, 1024);
    Print(std::wstring(L"arguments=") + text);
    text[0] = 0;
    shellLink->GetDescription(text, 1024);
    Print(std::wstring(L"description=") + text);
    int show = -1;
    shellLink->GetShowCmd(&show);
    Print(L"showcmd=" + std::to_wstring(show));
    text[0] = 0;
    shellLink->GetWorkingDirectory(text, 1024);
    Print(std::wstring(L"workdir=") + text);
    text[0] = 0;
    int iconIndex = -1;
    shellLink->GetIconLocation(text, 1024, &iconIndex);
    Print(std::wstring(L"icon=") + text);
    Print(L"iconindex=" + std::to_wstring(iconIndex));
}

int ReadLinks(int argc, wchar_t** argv) {
    ComScope com;
    for (int i = 2; i < argc; ++i) ReadLink(argv[i]);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"run") return Run(argc, argv);
    if (argc >= 3 && std::wstring(argv[1]) == L"readlink") return ReadLinks(argc, argv);
    Print(L"usage: regfx_after_install run FOLDER [flags] | readlink LINK...");
    return 2;
}
