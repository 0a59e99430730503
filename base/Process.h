#pragma once
// Starting a process: the one way the setup, the uninstaller and the client's launcher
// create processes, and the owner of what the system hands back.
#include <windows.h>
#include <string>
#include "base/Handles.h"

// What CreateProcess fills in, owned: both handles close when the owner goes.
struct ProcessHandles {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD id = 0;

    ProcessHandles() noexcept = default;
    explicit ProcessHandles(const PROCESS_INFORMATION& info) noexcept
        : process(info.hProcess), thread(info.hThread), id(info.dwProcessId) {}
    explicit operator bool() const noexcept { return process.valid(); }
};

struct ProcessStart {
    std::wstring program;                // a full path: the system searches nowhere for it
    std::wstring commandLine;            // the whole line, program part included or not
    DWORD flags = 0;                     // creation flags (CREATE_NO_WINDOW, ...)
    bool hidden = false;                 // the first window starts hidden (SW_HIDE)
    const wchar_t* folder = nullptr;     // the current folder; null: the caller's
    HANDLE token = nullptr;              // started with this primary token when given
                                         // (CreateProcessWithTokenW: another user's too)
};

// Starts the process and hands back its handles. The program is named apart from the
// command line, so no search order applies; handles are not inherited.
// Failure contract: empty handles, with CreateProcess's error as the thread's last error.
[[nodiscard]] ProcessHandles StartProcess(const ProcessStart& start);

// The call that starts a process with a token, for tests that look at the token it is
// handed (this Wine ignores the token and starts the process as the caller). Returns the
// one in use before.
using ProcessWithTokenCall = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                                           LPPROCESS_INFORMATION);
ProcessWithTokenCall SetProcessWithTokenCall(ProcessWithTokenCall call) noexcept;
