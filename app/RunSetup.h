#pragma once
// The run flow: asks the install manager whether setup may go on and, if so, opens the
// main window and runs the message loop until it is gone. Both arguments are ignored
// (the program takes no command line). Always returns 0, the process exit code.
int RunSetup(const wchar_t* commandLine, int showCommand);
