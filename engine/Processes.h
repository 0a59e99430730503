#pragma once
// Finding, ending and starting other processes. Everything runs on the calling thread;
// only RunPreviousUninstaller waits for the process it starts.
#include <windows.h>
#include <string>
#include <vector>
#include "base/pure/CommandLine.h"  // QuoteCommandPath, CommandProgram, IsFullProgramPath

// Executable base names of the client that setup looks for.
inline constexpr wchar_t kClientProcessName[] = L"Vexmora-PC.exe";
inline constexpr wchar_t kCrashReporterName[] = L"CrashSender1403.exe";

// Identifiers of the processes that have a module (the executable or any loaded library)
// whose base name is in `names`, compared ignoring the case of A-Z, in enumeration order.
// Processes of both word sizes are looked at, with their 32-bit modules too. Never fails:
// processes that cannot be opened or listed are passed over; an enumeration failure
// gives an empty list.
std::vector<DWORD> FindProcessesByName(const std::vector<std::wstring>& names);

// FindProcessesByName for the client's name and for its crash reporter's, from one
// enumeration in which each process's modules are listed once.
struct ClientProcesses {
    std::vector<DWORD> clients;
    std::vector<DWORD> crashReporters;
};
ClientProcesses FindClientProcesses();

// Terminates each process with exit code 0. Does not wait; processes that cannot be
// opened or terminated (already ended, access denied) are passed over silently.
void TerminateProcesses(const std::vector<DWORD>& ids);

enum class EarlierUninstaller {
    None,        // no "uninstall.exe" in the folder
    Ran,         // started and ended
    NotStarted,  // the system could not start it
    Refused,     // others than administrators could have changed it (CheckProgramTrust)
};

// Runs `folder`\uninstall.exe with the command line " true" and waits, without a time
// limit, until it has ended. The setup runs elevated: a program that a standard user
// could have replaced, or that is reached through a link, is never started (Refused).
// The file is held open, unchangeable, until the process has been created.
[[nodiscard]] EarlierUninstaller RunPreviousUninstaller(const std::wstring& folder);

// Starts `commandLine` hidden (no console window) without waiting. The command is
// passed as UTF-16, so paths outside the ANSI code page reach it unchanged. Only a
// command whose program is a full path (IsFullProgramPath) is started; failures leave no
// trace.
void RunHiddenCommand(const std::wstring& commandLine);

// The same, but waits up to `limitMs` for the command to end. Failures leave no trace;
// a command still running at the limit is left to finish on its own.
void RunHiddenCommandAndWait(const std::wstring& commandLine, DWORD limitMs);
