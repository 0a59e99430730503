#pragma once
// Whether the elevated setup may start a program that lies on the machine: only when no
// one but an administrator could have put it there or could change it before it runs.
#include <windows.h>
#include <string>
#include "engine/WriteAccess.h"
#include "base/Handles.h"

// The owner and DACL of a security descriptor as plain data for trust::OthersCanChange.
// False when the descriptor cannot be read.
bool DescriptorFromSecurity(PSECURITY_DESCRIPTOR security, trust::Descriptor& out);

// The SID of the account this process runs as ("S-1-..."), empty when unknown.
std::wstring RunningUserSid();

// The owner and DACL of the open file or folder `object` (opened with READ_CONTROL), as
// trust::OthersCanChange takes them. False when they cannot be read: the caller then
// trusts nothing.
//
// Under Wine (the test machines) no file has a descriptor of its own: Wine reports every
// file as owned by, and fully granted to, the account the process runs as (the Unix
// owner), and renders the Unix "other" bits as an entry for Everyone. There every process
// of that account has the same rights, elevated or not, and the Unix owner stands for the
// Administrators who would own the file on Windows: its entries are read as theirs, so
// that only the "other" bits tell whether others could change the file. On Windows the
// descriptor is read exactly as stored.
bool ReadFileSecurity(HANDLE object, trust::Descriptor& out);

enum class ProgramTrust {
    Missing,    // no such file
    Trusted,    // the file and its folder can be changed by SYSTEM, Administrators or
                // TrustedInstaller only (trust::OthersCanChange)
    Untrusted,  // others could change them, the path leads through a link, or nothing
                // could be read to tell
};

// Opens `program` (an absolute path) and decides. The file stays open in `held` without
// write or delete sharing, so that it cannot be replaced until the caller has started it
// and closed the handle; on Missing and Untrusted `held` is empty.
ProgramTrust CheckProgramTrust(const std::wstring& program, UniqueFile& held);

// True when `path` (a folder when `folder`, else a file) is there, is no link, is reached
// without one, and can be changed by SYSTEM, Administrators or TrustedInstaller only.
// False when any of that cannot be read.
bool AdministratorsOnly(const std::wstring& path, bool folder);
