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

enum class ProgramTrust {
    Missing,    // no such file
    Trusted,    // the file and its folder can be changed by administrators only
    Untrusted,  // others could change them, the path leads through a link, or nothing
                // could be read to tell
};

// Opens `program` (an absolute path) and decides. The file stays open in `held` without
// write or delete sharing, so that it cannot be replaced until the caller has started it
// and closed the handle; on Missing and Untrusted `held` is empty.
ProgramTrust CheckProgramTrust(const std::wstring& program, UniqueFile& held);
