#pragma once
// Writing one payload file without following a link. The setup runs elevated; a junction
// or symbolic link that someone left inside the install folder would otherwise take the
// payload anywhere on the machine. A link at any level below the install folder refuses
// the entry: nothing is written through it.
#include <windows.h>
#include <cstddef>
#include <functional>
#include <string>

enum class WriteOutcome {
    Written,
    NotCreated,  // an existing file that may not be replaced (read-only): skipped silently
    Refused,     // held by another program, no new files there, disk full: ask the user
    Failed,      // the write or the close failed: the file stays partial; ask the user
    Link,        // the path leads through a link, or a link stands at its name
    NotRecorded, // its journal record could not be written: nothing created; ask the user
    Exists,      // a file stands at the name already: nothing recorded, nothing changed
};

// The first level of `path` strictly below `folder` that exists and is a link or junction
// (a reparse point), or empty. `path` lies below `folder`, spelt with it as its start.
std::wstring FirstLinkBelow(const std::wstring& folder, const std::wstring& path);

// Creates `path` with the `size` bytes at `data`; an existing file is never written
// through (Exists: replacing one is the caller's, by a new file moved into its place). The
// file is made new, without following a link at its name, and kept only when the handle
// leads to `expectedFinal` (base/CheckedFile.h: a link further up would lead elsewhere;
// an empty `expectedFinal`, or a final path that cannot be read, counts as a link). A
// file created in the wrong place is deleted again. `record` is called once, before
// anything is created, unless something stood at the name (so the record stands even
// when creation fails); when it returns false (the journal did not take the record),
// nothing is created: a file the journal does not name would outlive every uninstall.
WriteOutcome WriteEntryFile(const std::wstring& path, const std::wstring& expectedFinal, const void* data,
                            std::size_t size, const std::function<bool()>& record);

// Makes `path` anew with the `size` bytes at `data`, flushed to disk: never replacing what
// stands there, never through a link at its name, and kept only when the new file leads
// to `expectedFinal` (empty: never) and was written whole. False, and the file made
// deleted again, otherwise.
bool WriteNewCheckedFile(const std::wstring& path, const std::wstring& expectedFinal, const void* data,
                         std::size_t size);

// Deletes `path` only when it is a file, no link, and leads to `expectedFinal` (empty:
// never), through a handle opened without following a link at its name. False when
// nothing was deleted.
bool DeleteCheckedFile(const std::wstring& path, const std::wstring& expectedFinal);

// Moves the file `from` to the name `to`, where nothing may stand yet. `from` is opened
// without following a link at its name and used only when it is a file leading to
// `fromExpected`; the folder of `to` is opened the same way and must lead to the folder
// of `toExpected` (base/CheckedFile.h: an empty expected place, or a final path that
// cannot be read, refuses the move), and the file is renamed through its
// handle while that folder is held: no link swapped in on either side is followed. Across
// volumes (a shortcut and its backup in the install folder) the file's bytes are written
// anew at `to` (WriteNewCheckedFile) and it is then deleted through its handle. `record`
// (when given) is called once every check has passed, just before the move; when it
// returns false nothing is moved. False, with nothing moved, when any check or step fails;
// the thread's last error then says why: ERROR_REPARSE_TAG_MISMATCH for a link or a
// place that leads elsewhere, a sharing violation for a program that holds the file
// without letting it be moved, access denied for a file the system will not rename.
bool MoveCheckedFile(const std::wstring& from, const std::wstring& fromExpected, const std::wstring& to,
                     const std::wstring& toExpected, const std::function<bool()>& record = {});
