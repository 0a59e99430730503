#pragma once
// The setup's exit codes. A run with a window ends with Success whatever the user did
// (as it always has); the others tell a silent run's outcome, and BadArguments a command
// line that was not understood. The README's table lists them; keep both in step.
enum class SetupExit : int {
    Success = 0,
    BadArguments = 1,           // nothing installed
    AlreadyRunning = 2,         // another setup is running
    ClientRunning = 3,          // the client runs (and /FORCECLOSE was not given, or failed)
    FolderRefused = 4,          // the install folder cannot be made, used or taken over
    NotEnoughSpace = 5,         // too little free space for the client, or it cannot be measured
    ExtractionFailed = 6,       // unpacking failed; what the run made is taken back
    NewerVersionInstalled = 7,  // a newer client is installed; it is kept
};

constexpr int ExitCodeOf(SetupExit exit) noexcept { return static_cast<int>(exit); }
