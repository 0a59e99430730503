#pragma once
// The run flow: reads the command line (app/SetupArguments.h), opens the log when asked
// for, and either runs the silent setup (/S) or asks the install manager whether setup
// may go on and, if so, opens the main window and runs the message loop until it is
// gone. The show command is ignored. Returns the process exit code (app/ExitCodes.h):
// always 0 for a run with windows, as before; a silent run's outcome; 1 for arguments
// that are not understood, which install nothing.
int RunSetup(const wchar_t* commandLine, int showCommand);
