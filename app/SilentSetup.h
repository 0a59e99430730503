#pragma once
// A setup run without any window (/S): the same steps as the main window's quick install,
// with every question answered as app/SilentUi.h says, and the outcome as an exit code.
#include "app/ExitCodes.h"
#include "app/SetupArguments.h"

class Install_CIM;

// Decides whether setup may go on (as the windowed run does), checks and makes the folder
// (`arguments.folder`, else the one proposed), runs the earlier installation's
// uninstaller, unpacks the payload, registers the client and, with /LAUNCH, starts it. An
// entry that cannot be written is tried again a few times, a second apart, then the run
// ends as after the user's Abort. The install options must already be set.
[[nodiscard]] SetupExit RunSilentSetup(Install_CIM& manager, const SetupArguments& arguments);
