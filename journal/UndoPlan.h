#pragma once
// What to undo, decided from the decrypted install journal alone, free of <windows.h> so
// that every decision is tested directly (and fuzzed natively). The client's uninstaller
// plans its whole journal with it; the setup plans the records of a run it rolls back, and
// those of an earlier installation whose uninstaller it will not start.
//
// The journal is trusted only as far as the places it names: anyone who can write into
// the install folder can also write a journal, so every record must point into a place
// that the setup itself writes to, or it is refused:
//   F  a file strictly inside the install folder, a ".lnk" in the product's start-menu
//      folder (<Programs>\<menu name>), or "<menu name>.lnk" on a desktop;
//   D  a folder strictly inside the install folder, the product's start-menu folder,
//      the install folder itself, or one of the folders above the install folder (the
//      install made them on its way there); folders are only ever removed when empty,
//      never with their contents;
//   R  a value of the client's App Paths or uninstall key, or the "Vexmora-PC" log-on
//      value of the current user's Run key;
//   r  the App Paths key or the uninstall key;
//   B  (an unfinished run's: a file it moved aside) an original that an F record could
//      name, and a backup strictly inside the install folder;
//   V  (an unfinished run's: a value as it was before) a value that an R record could
//      name, of at most kMaxOldValueBytes.
// T records only mark where an unfinished run begins (journal/RunTransaction.h): they
// plan nothing.
// Paths must be plain absolute drive paths: no "." or ".." parts, no empty parts, no
// "/", no device names, no stream or wildcard characters, no part ending in a dot or a
// blank (the system would strip it and name another file). Comparison ignores the case
// of A-Z; anything that does not match exactly is refused, never guessed at.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "journal/JournalRecord.h"
#include "base/pure/ProductNames.h"

namespace undo {

// The install folder (the uninstaller's own, or the one the setup unpacks into) and where
// the setup puts shortcuts. Each path is absolute, without trailing backslash; an empty
// entry is ignored.
struct Places {
    std::wstring installFolder;              // the folder the journal belongs to
    std::vector<std::wstring> programs;      // all-users and current user start-menu Programs
    std::vector<std::wstring> desktops;      // all-users and current user desktop
};

enum class Action {
    RemoveFile,         // F
    RemoveFolder,       // D: only when empty
    RemoveValue,        // R
    RemoveKeyIfEmpty,   // r, and the uninstall key once its values are gone
    RestoreBackup,      // B: the backup moved home again, over what stands there now
    RestoreValue,       // V: the old value written again
};

struct Step {
    Action action;
    std::size_t line = 0;     // 1-based journal line; 0 for a step the plan adds itself
    std::wstring path;        // file or folder; the key path for registry steps
    std::uint32_t root = 0;   // registry root (journal::kRoot...), registry steps only
    std::wstring valueName;   // RemoveValue only
    // File and folder steps: the length of the allowed folder that `path` lies in. The
    // parts after it were not chosen by the setup, so the uninstaller checks that none
    // of them is a link leading elsewhere.
    std::size_t anchor = 0;
    std::wstring backup;          // RestoreBackup: where the file waits, inside the install folder
    std::uint32_t valueType = 0;  // RestoreValue: the old value
    std::string data;
};

// The largest old value a V record may restore: the setup's own values are short paths
// and numbers.
inline constexpr std::size_t kMaxOldValueBytes = 64 * 1024;

struct Refusal {
    std::size_t line = 0;     // 1-based journal line
    std::string text;         // the record as it stood (UTF-8), cut to a readable length
    std::string reason;
};

struct Plan {
    std::vector<Step> steps;              // in the order to run: the journal's, reversed
    std::vector<Refusal> refused;
    // The install folder and the folders above it that the journal names, innermost
    // first: removed (when empty) only after the uninstaller itself has gone from them.
    std::vector<std::wstring> lastFolders;
    // The install folder the plan was made for, as the planner compares it (empty when
    // the one given was not a plain absolute path); the runner checks paths against it.
    std::wstring installFolder;
};

// Builds the plan. Lines that are not well-formed records are refused like records
// pointing elsewhere. Records naming the uninstaller's own files ("uninstall.exe",
// "uninstallE", "uninstall-ran.txt" in the install folder) are left to the self-removal
// and appear nowhere in the plan. Never throws for any input except out of memory.
Plan MakeUndoPlan(std::string_view journalText, const Places& places);

// The registry keys that the setup writes (exact paths, compared ignoring A-Z case).
using ::kAppPathsKey;
using ::kRunKey;
using ::kRunValue;
using ::kUninstallKey32;
using ::kUninstallKey64;

// The names the setup gives its start-menu folder and its shortcuts: its string 129,
// or the fallback used when that string cannot be loaded.
inline constexpr const wchar_t* kMenuNames[] = {L"VexmoraZevlo邮箱", kMenuFallbackName};

// The files of the uninstaller itself, inside the install folder.
inline constexpr const wchar_t* kSelfName = kUninstallerName;
inline constexpr wchar_t kJournalName[] = L"uninstallE";
inline constexpr const wchar_t* kRanNoteName = kUninstallerNoteName;

// Helpers shared with the uninstaller's Windows side.
bool SameText(std::wstring_view a, std::wstring_view b);  // ignoring A-Z case
using journal::Utf8ToUtf16;                               // invalid bytes become U+FFFD
// True for "X:\part\part..." with every part acceptable as described above.
bool IsPlainAbsolutePath(std::wstring_view path);

}  // namespace undo
