#pragma once
#include <windows.h>
#include <string>

// Runs `commandLine` hidden (no console window), like RunHiddenCommand, but waits up to
// `limitMs` for it to end. Failures leave no trace; a command still running at the limit
// is left to finish on its own.
void RunHiddenCommandAndWait(const std::wstring& commandLine, DWORD limitMs);
