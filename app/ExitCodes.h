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
    ExtractionFailed = 6,       // unpacking failed (or left files unwritten); the run is taken back whole
    NewerVersionInstalled = 7,  // a newer client is installed; it is kept
    JournalNotWritable = 8,     // the install journal cannot be opened or written, or a link stands at its name; nothing installed
    EarlierRunLeft = 9,         // an unfinished earlier run in the folder could not be taken back; nothing installed
    RegistrationFailed = 10,    // a registry value, shortcut or the journal could not be written; the run is taken back whole
    RollbackIncomplete = 11,    // the run failed and could not be taken back completely (the log names what is left)
};

constexpr int ExitCodeOf(SetupExit exit) noexcept { return static_cast<int>(exit); }
