#pragma once
// The setup's exit codes. A run with a window ends with Success whatever the user did (as
// it always has); the others tell a silent run's outcome, and BadArguments a command line
// that was not understood. README.md explains each in full.
//
// This file is the one table of them: the program returns them, the "/?" box lists them
// from kSetupExits, and tools/winget/make_manifest.py writes the package manager's
// manifest from the enumerators and rows below. Keep each enumerator and each row on a
// line of its own, in the form they have: the tool refuses any other line between the
// braces but comments.
// Free of <windows.h>: the command line's code, which lists them, is built natively too.

enum class SetupExit : int {
    Success = 0,
    BadArguments = 1,
    AlreadyRunning = 2,
    ClientRunning = 3,
    FolderRefused = 4,
    NotEnoughSpace = 5,
    ExtractionFailed = 6,
    NewerVersionInstalled = 7,
    JournalNotWritable = 8,
    EarlierRunLeft = 9,
    RegistrationFailed = 10,
    RollbackIncomplete = 11,
};

constexpr int ExitCodeOf(SetupExit exit) noexcept { return static_cast<int>(exit); }

struct SetupExitMeaning {
    SetupExit exit;
    // A few words for the "/?" box.
    const wchar_t* summary;
    // What a package manager should make of the code, in the words of winget's manifest
    // (its ExpectedReturnCodes responses); nullptr for the one code that means installed.
    const char* packageResponse;
};

inline constexpr SetupExitMeaning kSetupExits[] = {
    {SetupExit::Success, L"installed", nullptr},
    {SetupExit::BadArguments, L"wrong arguments", "invalidParameter"},
    {SetupExit::AlreadyRunning, L"another setup is running", "installInProgress"},
    {SetupExit::ClientRunning, L"the client is running", "packageInUse"},
    {SetupExit::FolderRefused, L"the folder cannot be used", "invalidParameter"},
    {SetupExit::NotEnoughSpace, L"not enough disk space", "diskFull"},
    // Mostly a file another program holds (the log names it); a damaged payload or a disk
    // that filled up meanwhile end the same way.
    {SetupExit::ExtractionFailed, L"unpacking failed, changes taken back", "fileInUse"},
    {SetupExit::NewerVersionInstalled, L"a newer version is installed", "downgrade"},
    {SetupExit::JournalNotWritable, L"the install journal cannot be written", "contactSupport"},
    // Its files are held by another program.
    {SetupExit::EarlierRunLeft, L"an unfinished earlier run could not be taken back", "fileInUse"},
    {SetupExit::RegistrationFailed, L"registration failed, changes taken back", "contactSupport"},
    {SetupExit::RollbackIncomplete, L"failed and not wholly taken back (see the log)", "contactSupport"},
};

// One row per code, in the order of the codes.
constexpr bool SetupExitsInOrder() {
    int code = 0;
    for (const SetupExitMeaning& row : kSetupExits)
        if (ExitCodeOf(row.exit) != code++) return false;
    return code == ExitCodeOf(SetupExit::RollbackIncomplete) + 1;
}
static_assert(SetupExitsInOrder(), "kSetupExits needs one row per SetupExit, in order");
