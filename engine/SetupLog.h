#pragma once
// The setup's log, asked for with /LOG: UTF-8 with a byte-order mark, one line per step,
// each led by the local time ("2026-12-10 17:05:01.123  "). One log per process; every
// layer writes to it through these functions, which do nothing while no log is open, so
// that a run without /LOG is unchanged.
//
// Failure contract: a log that cannot be created is reported by OpenSetupLog (false, the
// system's error code as the thread's last error) and the run goes on without one; a line
// that cannot be written is lost without a word. Lines are written as they come, not held
// back, so a run that is killed leaves every step up to its end.
#include <windows.h>
#include <string>
#include <string_view>
#include "engine/LogFile.h"

// Makes the log file at `path` as engine/LogFile.h says for `kind` (never through a link
// or an existing name) and writes the byte-order mark.
bool OpenSetupLog(const std::wstring& path, LogName kind);
void CloseSetupLog() noexcept;
bool SetupLogOpen() noexcept;

// The log's file, "%TEMP%\VexmoraSetup-<yyyymmdd-hhmmss>.log", at the local time now
// (made with LogName::Default: a name taken gets a number).
std::wstring DefaultSetupLogPath();

void LogStep(std::wstring_view text) noexcept;
// "<what> <file>: error <code> (<the system's message>)"
void LogFailure(std::wstring_view what, std::wstring_view file, DWORD error) noexcept;
