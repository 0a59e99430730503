#pragma once
#include <string>
#include <vector>
class InstallJournal;

// Creates every missing folder along an absolute local path ("X:\..."), outermost first,
// each with the protected DACL of engine/FolderSecurity.h (existing levels keep theirs),
// recording each folder it creates in `journal` (when not null and open). The drive root
// is never created. Returns false as soon as one level cannot be created; the levels this
// call made are then removed again, innermost first, when they are empty (their records,
// if a journal took them, name folders that are gone, which the uninstaller passes over).
// A path that is not absolute and local fails without creating anything. A file standing
// at the final level counts as existing.
// Also refused before anything is made: a path of more than 247 characters (a trailing
// backslash aside), a character that no Windows file name may hold (< > " | ? * or a
// control character), and any level the file system would not keep as written: a name
// that ends in a blank or a dot, a device name (CON, NUL, AUX, PRN, COM0-9, LPT0-9, with
// or without an extension), "." or "..", or a ":" after the drive.
[[nodiscard]] bool CreateFolderChain(const std::wstring& path, InstallJournal* journal);

// True when CreateFolderChain would try `path` at all: absolute and local, and none of
// the refusals above applies.
[[nodiscard]] bool IsFolderChainPath(const std::wstring& path);

// The levels CreateFolderChain would consider for `path`, outermost first: every prefix
// before a backslash except drive roots, then the whole path (trailing backslashes
// dropped, duplicates left out).
std::vector<std::wstring> FolderChainLevels(const std::wstring& path);
