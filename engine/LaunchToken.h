#pragma once
// Whose token starts the mail client after an install (the finish button, /LAUNCH). The
// client opens mail from anyone: it must run as the person signed in, without the
// administrator rights the setup was given, so it gets the token of that person's shell,
// the process that owns the desktop's shell window. Pure: no <windows.h>; the facts are
// gathered by engine/ClientLaunch.cpp.
#include <cstdint>
#include <string>

struct ShellFacts {
    std::uint32_t shellProcessId = 0;  // of the desktop's shell window; 0 when there is none
    std::uint32_t ownProcessId = 0;    // the setup's own
    bool tokenRead = false;            // the shell process's token could be opened and asked
    std::wstring shellUser;            // the SID its token runs as ("S-1-..."), when read
};

enum class LaunchToken {
    Shell,          // a copy of the shell process's token
    NoShell,        // no shell window: a run as SYSTEM, a service, or no one signed in
    ShellIsSetup,   // the setup itself owns the shell window: its token is the elevated one
    TokenUnread,    // the shell's token cannot be had
    ServiceShell,   // the shell runs as SYSTEM or a service account, not as a person
};

// The one token the client may start with; anything but Shell starts nothing. There is no
// fallback to the setup's own token, lowered or not: it keeps the Administrators group.
LaunchToken ChooseLaunchToken(const ShellFacts& facts);

// Why nothing is started, for the log ("" for Shell).
const wchar_t* LaunchTokenWhyNot(LaunchToken choice);
