#include "engine/WriteAccess.h"

#include <algorithm>

namespace trust {
namespace {

constexpr wchar_t kEveryone[] = L"S-1-1-0";
constexpr wchar_t kCreatorOwner[] = L"S-1-3-0";
constexpr wchar_t kCreatorGroup[] = L"S-1-3-1";
constexpr wchar_t kOwnerRights[] = L"S-1-3-4";
constexpr const wchar_t* kTrusted[] = {
    L"S-1-5-18",      // SYSTEM
    L"S-1-5-32-544",  // Administrators
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

// The owner's implicit rights when no OWNER RIGHTS entry takes their place.
constexpr std::uint32_t kReadControl = 0x00020000;
constexpr std::uint32_t kWriteDac = 0x00040000;

// SIDs are compared as the system prints them; "s-1-..." would be the same SID.
bool SameSid(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; };
               return fold(x) == fold(y);
           });
}

bool IsTrusted(const std::wstring& sid) {
    return std::any_of(std::begin(kTrusted), std::end(kTrusted), [&](const wchar_t* t) { return SameSid(sid, t); });
}

// Entries for these SIDs never match the token of a person.
bool MatchesNobody(const std::wstring& sid) { return SameSid(sid, kCreatorOwner) || SameSid(sid, kCreatorGroup); }

// A token that holds `sid`, Everyone, and OWNER RIGHTS when it is the owner's.
struct Token {
    std::wstring sid;
    bool isOwner = false;
    bool holds(const std::wstring& other) const {
        return SameSid(other, sid) || SameSid(other, kEveryone) || (isOwner && SameSid(other, kOwnerRights));
    }
};

std::uint32_t GrantedTo(const Token& token, const Descriptor& descriptor) {
    std::uint32_t granted = 0, denied = 0;
    if (token.isOwner) {
        const bool ownerRightsListed = std::any_of(descriptor.dacl.begin(), descriptor.dacl.end(), [](const Ace& ace) {
            return !ace.inheritOnly && SameSid(ace.sid, kOwnerRights);
        });
        if (!ownerRightsListed) granted = kReadControl | kWriteDac;
    }
    for (const Ace& ace : descriptor.dacl) {
        if (ace.inheritOnly || MatchesNobody(ace.sid) || !token.holds(ace.sid)) continue;
        const std::uint32_t rights = MapGenericFileRights(ace.mask);
        if (ace.allow)
            granted |= rights & ~denied;
        else
            denied |= rights & ~granted;
    }
    return granted;
}

}  // namespace

std::uint32_t MapGenericFileRights(std::uint32_t mask) {
    constexpr std::uint32_t kGenericRead = 0x80000000, kGenericWrite = 0x40000000, kGenericExecute = 0x20000000,
                            kGenericAll = 0x10000000;
    std::uint32_t mapped = mask & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll);
    if (mask & kGenericRead) mapped |= 0x00120089;     // FILE_GENERIC_READ
    if (mask & kGenericWrite) mapped |= 0x00120116;    // FILE_GENERIC_WRITE
    if (mask & kGenericExecute) mapped |= 0x001200A0;  // FILE_GENERIC_EXECUTE
    if (mask & kGenericAll) mapped |= 0x001F01FF;      // FILE_ALL_ACCESS
    return mapped;
}

bool OthersCanChange(const Descriptor& descriptor) {
    if (!descriptor.hasDacl) return true;
    std::vector<Token> tokens = {{kEveryone, false}};
    if (!descriptor.owner.empty() && !IsTrusted(descriptor.owner))
        tokens.push_back({descriptor.owner, true});
    for (const Ace& ace : descriptor.dacl)
        if (ace.allow && !ace.inheritOnly && !MatchesNobody(ace.sid) && !SameSid(ace.sid, kOwnerRights) &&
            !IsTrusted(ace.sid))
            tokens.push_back({ace.sid, !descriptor.owner.empty() && SameSid(ace.sid, descriptor.owner)});
    return std::any_of(tokens.begin(), tokens.end(),
                       [&](const Token& token) { return (GrantedTo(token, descriptor) & kChangeRights) != 0; });
}

}  // namespace trust
