#pragma once
// Making the setup's log file without writing through anything that stands at its name.
// A deployment tool may run the setup as SYSTEM, whose temporary folder (C:\Windows\Temp)
// lets every user create files and links there: a link planted at the log's predictable
// name would have the log overwrite any file on the machine.
#include <windows.h>
#include <string>
#include "base/Handles.h"

enum class LogName {
    Chosen,   // /LOG=<file>: a plain file there is replaced by a new one; a link or a
              // folder at the name, or a file not where its name says, refuses the log
    Default,  // the name of DefaultSetupLogPath: one that exists, whatever it is, is left
              // alone and the name gets "-2", "-3", ... before ".log"
};

// The log's file, made anew (CREATE_NEW: never opened through an existing name) and
// checked to lead where its name says (base/CheckedFile.h), open for writing. Empty, with
// the system's error as the thread's last error, when it cannot be made.
UniqueFile CreateLogFile(const std::wstring& path, LogName kind);

// `path` with "-<n>" before its extension (n >= 2), or `path` itself for n = 1.
std::wstring NumberedLogName(const std::wstring& path, int n);
