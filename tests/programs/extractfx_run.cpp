// extractfx_run ARCHIVE FOLDER: one install run of the archive file into FOLDER, as the
// setup does it (StartInstall: journal at FOLDER\uninstall, real failure message boxes),
// but with the archive read from a file; ARCHIVE "-" reads "BIN" 227 of this program,
// which it does not have, as the setup would with a missing payload. Prints, one UTF-8 line each, as they happen:
//   prompt <message>            before each failure box is shown
//   event <kind> <value>        each WM_INSTALL_EVENT as the window handles it
//   journal <record>            the plain journal's lines, after the extraction
//   completed <0|1>             the extraction-completed flag
//   status <text>               the final status text
// A run whose extraction completed is then committed, as the setup does after its
// registration (the journal finished, encrypted); one that did not is left as it ends.
#include <windows.h>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>
#include "engine/Extraction.h"
#include "engine/InstallEvents.h"
#include "engine/InstallRun.h"
#include "engine/RunCommit.h"
#include "engine/ExtractionPrompt.h"
#include "base/Handles.h"
#include "journal/JournalText.h"
#include "ui/MessageLoop.h"
#include "base/pure/Utf.h"

namespace {

void Print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const std::string utf8 = Utf16ToUtf8(text);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INSTALL_EVENT) {
        Print(L"event " + std::to_wstring(wParam) + L" " + std::to_wstring(lParam));
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::string ReadShared(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const bool ownResource = std::wstring(argv[1]) == L"-";
    UniqueFile archive;
    UniqueHandle mapping;
    const void* view = nullptr;
    if (!ownResource) {
        archive.reset(::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!archive) return 3;
        mapping.reset(::CreateFileMappingW(archive.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        view = mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (!view) return 4;
    }
    const PayloadBytes bytes(static_cast<const std::uint8_t*>(view), view ? ::GetFileSize(archive.get(), nullptr) : 0);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ExtractFxRecorder";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"extractfx", WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);

    InstallState state(::GetModuleHandleW(nullptr));
    state.installPath = argv[2];
    state.window = window;
    ExtractionHooks hooks = ProgramExtractionHooks(state);
    if (!ownResource) hooks.payload = [bytes] { return bytes; };
    hooks.prompt = [&state](const CUIString& message) {
        Print(L"prompt " + message);
        return ShowFailureBox(state.window, state.instance, message);
    };
    hooks.pump = UIPumpMessages;
    StartInstall(state, window, hooks);
    UIPumpMessages();

    const std::string journal = ReadShared(state.installPath + L"\\uninstall");
    DWORD written = 0;
    const journal::JournalLines lines = journal::SplitJournal(journal);
    std::vector<std::string_view> shown = lines.records;
    if (!lines.cutShort.empty()) shown.push_back(lines.cutShort);
    for (std::string_view record : shown) {
        const std::string line = "journal " + std::string(record) + "\n";
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    Print(L"completed " + std::to_wstring(state.extractionCompleted ? 1 : 0));
    Print(L"status " + state.GetStatusText());
    if (state.extractionCompleted) static_cast<void>(CommitRun(state));
    if (view) ::UnmapViewOfFile(view);
    return 0;
}
