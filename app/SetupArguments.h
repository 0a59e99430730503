#pragma once
// The setup's command line, read without the program's name (as the entry point gets it).
// Pure: no Windows headers, so it is tested directly and built natively under sanitizers.
//
//   /S               no window and no message box at all: every question has a set answer
//                    and the outcome is the exit code (app/ExitCodes.h)
//   /D=<folder>      the install folder; the rest of the line, unquoted, blanks included
//                    (it must come last: everything after "/D=" belongs to it)
//   /LOG[=<file>]    a log of the run; without a file name in the user's temporary folder
//   /NOAUTOSTART     no start at log-on
//   /NODESKTOPICON   no desktop shortcut
//   /LAUNCH          starts the client when the install is done, as the finish button does
//   /FORCECLOSE      a running client is ended instead of ending a silent setup
//   /?               lists these arguments; nothing is installed
//
// Switches are told apart ignoring the case of A-Z. An argument may be put in double
// quotes ("/LOG=C:\my logs\setup.log"); the quotes are dropped. Anything else is an error.
#include <string>
#include <string_view>

struct SetupArguments {
    bool silent = false;
    std::wstring folder;      // empty: the folder the setup proposes
    bool log = false;
    std::wstring logFile;     // empty with `log`: the default log name
    bool noAutoStart = false;
    bool noDesktopIcon = false;
    bool launch = false;
    bool forceClose = false;
    bool help = false;
};

struct ParsedArguments {
    bool ok = true;
    SetupArguments arguments;  // what was read; complete only when `ok`
    std::wstring wrong;        // the argument that is not understood, as written
};

ParsedArguments ParseSetupArguments(std::wstring_view commandLine);

// The text of the "/?" message box: the arguments and the exit codes.
std::wstring SetupUsageText();
