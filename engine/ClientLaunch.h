#pragma once
// Starting the installed client as the person signed in, not as the elevated setup: with
// a copy of the token of the desktop's shell (engine/LaunchToken.h says when there is
// one to take), through CreateProcessWithTokenW. Without a shell to take it from (a silent
// run as SYSTEM), nothing is started.
#include <string>

struct ClientLaunch {
    bool started = false;
    std::wstring whyNot;  // for the log, when not started
};

// Starts `commandLine`, whose program must be a full path, quoted (QuoteCommandPath): an
// unquoted path with blanks would let the system run a planted "D:\Program.exe". Does not
// wait. Failure contract: started false, `whyNot` says why (with the system's error code
// as the thread's last error when a system call failed).
ClientLaunch LaunchAsSignedInUser(const std::wstring& commandLine);
