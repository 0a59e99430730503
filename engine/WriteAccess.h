#pragma once
// Whether anyone but an administrator could change a file or folder, decided from its
// owner and DACL alone. Free of <windows.h>: engine/FileTrust reads the descriptor into
// this plain form, so the decision is tested directly as a table.
//
// Trusted: SYSTEM, Administrators and TrustedInstaller, nothing else. Every other SID may
// be held by a process without administrator rights (Everyone, Users, Authenticated
// Users, INTERACTIVE, any account's own SID, ...): the account the elevated setup runs as
// too, since a split-token administrator's everyday processes carry that SID without the
// Administrators group. For each such SID the DACL is walked the way the system checks a
// token that holds that SID and Everyone: entries in order, inherit-only entries skipped
// (they only pass on to children), a deny entry withholding its rights from the allow
// entries after it, generic rights mapped to the file rights they stand for. CREATOR
// OWNER and CREATOR GROUP entries on the object itself match no token. The owner may
// always change the DACL, unless OWNER RIGHTS entries say what the owner gets instead.
// No DACL at all lets everyone do everything.
//
// Only Everyone is assumed beside each SID, so a deny entry for a group that a real user
// also holds (Users beside Authenticated Users) is not counted: the check may answer
// "writable" for such a DACL, never "not writable" for a writable one.
#include <cstdint>
#include <string>
#include <vector>

namespace trust {

struct Ace {
    bool allow = true;         // false: a deny entry
    bool inheritOnly = false;  // INHERIT_ONLY_ACE: applies to children only
    std::uint32_t mask = 0;    // access mask as stored (generic bits included)
    std::wstring sid;          // "S-1-..."
};

struct Descriptor {
    std::wstring owner;        // "S-1-...", empty when there is none
    bool hasDacl = true;       // false: a null DACL, which grants everything
    std::vector<Ace> dacl;
};

// The rights that let someone change what a path leads to: write or append data (add a
// file or a subfolder), delete the object or a child, change its DACL or owner.
inline constexpr std::uint32_t kChangeRights = 0x0002 | 0x0004 | 0x0040 | 0x00010000 | 0x00040000 | 0x00080000;

// The generic bits of `mask` replaced by the file rights they stand for.
std::uint32_t MapGenericFileRights(std::uint32_t mask);

// True when some SID other than the trusted ones is granted one of kChangeRights.
bool OthersCanChange(const Descriptor& descriptor);

}  // namespace trust
