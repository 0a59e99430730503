#pragma once
// The one check the elevated setup (and the uninstaller) makes before it writes, replaces,
// reads back or deletes a file of its own through a handle: the handle was opened without
// following a link at the name (FILE_FLAG_OPEN_REPARSE_POINT), it is a file and no link
// itself, and it leads exactly where the caller means (FinalPathOf). A check that cannot
// answer refuses: an expected place or a final path that cannot be read counts as "it
// leads elsewhere", never as "not compared".
#include <windows.h>
#include <string>
#include "base/Handles.h"

// Where `path` must turn out to be: its folder as the file system has it now (the folder
// may be reached through a link the user chose), then its own name. Empty when the system
// cannot say, which every check here takes as a refusal.
std::wstring ExpectedFinalPath(const std::wstring& path);

// True when the open `file` is a file, no link, and leads to `expectedFinal`. False when
// `expectedFinal` is empty or anything about the handle cannot be read.
bool HandleLeadsTo(HANDLE file, const std::wstring& expectedFinal);

enum class CheckedOpen {
    Existing,  // only a file that is there
    Always,    // the file that is there, or a new one
};

struct CheckedFile {
    enum class Status {
        Opened,
        Missing,  // Existing, and nothing at the name
        Refused,  // a link at the name, a folder, or it does not lead to `expectedFinal`
        Failed,   // the system refused to open or create it; `error` says why
    };
    Status status = Status::Failed;
    UniqueFile file;      // Opened only
    bool created = false; // Opened, and made by this call
    DWORD error = 0;
};

// Opens `path` with `access` and `share` as `how` says, then checks it. A file this call
// made in a place not meant is deleted again.
CheckedFile OpenCheckedFile(const std::wstring& path, const std::wstring& expectedFinal, DWORD access, DWORD share,
                            CheckedOpen how);

// Marks the open file (opened with DELETE) for deletion when its last handle closes.
bool DeleteOpenedFile(HANDLE file);

// Renames the open `file` (opened with DELETE, and checked) to the full path `to`; a file
// standing there is replaced only when `replaceExisting` says so (the rename replaces
// the name: a link there is not followed). False, with the system's error as the
// thread's last error, when nothing was renamed.
bool RenameOpenedFile(HANDLE file, const std::wstring& to, bool replaceExisting);
