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
};

// The first level of `path` strictly below `folder` that exists and is a link or junction
// (a reparse point), or empty. `path` lies below `folder`, spelt with it as its start.
std::wstring FirstLinkBelow(const std::wstring& folder, const std::wstring& path);

// Creates or replaces `path` with the `size` bytes at `data`. The file is opened without
// following a link at its own level, and used only when the handle leads to
// `expectedFinal` (base/CheckedFile.h: a link further up would lead elsewhere; an empty
// `expectedFinal`, or a final path that cannot be read, counts as a link). An existing file is truncated only after the
// check; a file created in the wrong place is deleted again. `record` is called once,
// before anything is created or changed, unless a link was seen at the name first (so the
// record stands even when creation fails), and told whether a file stands at the name;
// when it returns false (the journal did not take the record), nothing is created or
// changed: a file the journal does not name would outlive every uninstall.
WriteOutcome WriteEntryFile(const std::wstring& path, const std::wstring& expectedFinal, const void* data,
                            std::size_t size, const std::function<bool(bool existed)>& record);

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
