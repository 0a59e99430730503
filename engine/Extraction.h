#pragma once
// Unpacking the payload archive into the install folder, entry by entry, in archive
// order: folders through CreateFolderChain, an F journal record before each file is
// created, INSTALL_EVENT_STATUS and INSTALL_EVENT_PROGRESS (i * 100 / n) after each file
// written, and the thread's message queue drained before each file, after each file and,
// while the file's solid block is still being decoded, as messages arrive and at least
// every BlockDecoder::kPumpInterval ms. Blocks are decoded one ahead on a worker thread
// (engine/BlockDecoder.h); everything else, prompts and journal records included, happens
// on the calling thread in the order above.
//
// Failure contract: nothing is thrown out of ExtractPayload. Its outcome is the
// extraction-completed flag (true only when every entry was handled, written or skipped
// by the user's Ignore), the status text (the last file written, or the text of the
// failure that ended the run, empty after Abort) and INSTALL_EVENT_DONE, posted exactly
// once, as its last action, on every path. Failures of one entry (folder, decode, write,
// its journal record, an entry name that would leave the install folder) ask the user:
// Retry handles the entry again, Ignore skips it, Abort ends the run. So does a file that
// cannot be created because another program holds it, its folder or medium takes no new
// files, or the disk is full, and an entry that would be written through a junction or
// symbolic link below the install folder (base/EntryFile.h: nothing is written through
// it, no record is made when the link is seen first). A file is created only once its F
// record has been appended to the journal (when one is open). An existing file that may
// not be replaced (a read-only file) is skipped silently; its F record stays. Each prompt
// is announced to the window: INSTALL_EVENT_ASKING sent with 1 before it shows and with 0
// once answered.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <span>
#include "engine/InstallState.h"
#include "ui/UIString.h"

enum class FailureAnswer { Abort, Retry, Ignore };

using PayloadBytes = std::span<const std::uint8_t>;

// What the extraction takes from outside; the program's are ProgramExtractionHooks().
struct ExtractionHooks {
    // The archive bytes, read in place; they must stay valid during the call. Throws the
    // failure text as a CUIString when the archive cannot be had.
    std::function<PayloadBytes()> payload;
    // Shows a failure message and returns the user's answer.
    std::function<FailureAnswer(const CUIString& message)> prompt;
    // Handles the thread's waiting messages, so that the windows stay alive during the
    // run (the windows' pump, handed in by whoever starts it); nothing when empty.
    std::function<void()> pump;
    // Told just before the run waits for a solid block to be decoded (optional, for measuring).
    std::function<void(std::uint32_t block)> decodingBlock;
};

// The program's hooks: the "BIN" 227 resource of the process's own module (string 137
// naming the executable of `state.instance` when it is missing or cannot be loaded) and
// a modal MessageBoxW owned by `state.window` with caption 140 and style
// MB_ABORTRETRYIGNORE | MB_ICONINFORMATION | MB_DEFBUTTON2. No pump: the caller adds its own.
ExtractionHooks ProgramExtractionHooks(const InstallState& state);

// Unpacks into `state.installPath`, reporting to `state.window` and recording in
// `state.openJournal()` when one is open.
void ExtractPayload(InstallState& state);
void ExtractPayload(InstallState& state, const ExtractionHooks& hooks);
