#include "engine/FileTrust.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstdint>
#include <vector>

#include "base/FinalPath.h"

namespace {

std::wstring SidText(PSID sid) {
    UniqueLocal text;
    if (!sid || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.put()))) return {};
    return static_cast<const wchar_t*>(text.get());
}

// The entry types that can appear in a file's DACL. A conditional allow entry may apply,
// so it counts; a conditional deny entry may not, so it does not. Object entries (never
// on files) keep their SID at a place that depends on their flags: counted as granting
// their rights to everyone.
bool ReadAce(const ACE_HEADER* header, trust::Ace& out) {
    const auto* plain = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    out.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    out.mask = plain->Mask;
    switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        out.allow = true;
        out.sid = SidText(const_cast<DWORD*>(&plain->SidStart));
        return !out.sid.empty();
    case ACCESS_DENIED_ACE_TYPE:
        out.allow = false;
        out.sid = SidText(const_cast<DWORD*>(&plain->SidStart));
        return !out.sid.empty();
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        out.allow = true;
        out.sid = L"S-1-1-0";
        return true;
    default:
        return false;  // deny variants with conditions or objects, audit and label entries
    }
}

// Opens without following a link at the last level; the caller checks where it leads.
UniqueFile OpenAsIs(const std::wstring& path, DWORD access, DWORD share) {
    return UniqueFile(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Wine names no SID of its own for what a Unix owner may do: see ReadFileSecurity. Told by
// an export of the ntdll.dll mapped into every process before any of its code runs:
// Windows' own has no wine_get_version, so there the rule never applies, and no one
// without administrator rights can give it one.
bool RunningUnderWine() {
    static const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// Open object of the expected kind, no link itself, reached without a link on the way,
// and changeable by administrators only.
bool IsSound(HANDLE object, const std::wstring& path, bool folder) {
    DWORD attributes = 0;
    if (!AttributesOf(object, attributes)) return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder)
        return false;
    const std::wstring final = FinalPathOf(object);
    if (final.empty() || !SameFilePath(final, PlainSpellingOf(path))) return false;
    trust::Descriptor descriptor;
    return ReadFileSecurity(object, descriptor) && !trust::OthersCanChange(descriptor);
}

}  // namespace

bool DescriptorFromSecurity(PSECURITY_DESCRIPTOR security, trust::Descriptor& out) {
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE, present = FALSE, daclDefaulted = FALSE;
    PACL dacl = nullptr;
    if (!::GetSecurityDescriptorOwner(security, &owner, &ownerDefaulted) ||
        !::GetSecurityDescriptorDacl(security, &present, &dacl, &daclDefaulted))
        return false;
    out = trust::Descriptor{};
    out.owner = SidText(owner);
    out.hasDacl = present && dacl != nullptr;
    if (!out.hasDacl) return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) return false;
        trust::Ace entry;
        if (ReadAce(static_cast<const ACE_HEADER*>(ace), entry)) out.dacl.push_back(std::move(entry));
    }
    return true;
}

std::wstring RunningUserSid() {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<std::uint64_t> buffer(size / sizeof(std::uint64_t) + 1);  // aligned for TOKEN_USER
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    return SidText(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
}

bool ReadFileSecurity(HANDLE object, trust::Descriptor& out) {
    PSECURITY_DESCRIPTOR security = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                          nullptr, nullptr, nullptr, &security) != ERROR_SUCCESS)
        return false;
    UniqueLocal owned(security);
    if (!DescriptorFromSecurity(security, out)) return false;
    if (!RunningUnderWine()) return true;
    const std::wstring unixOwner = RunningUserSid();
    if (unixOwner.empty()) return false;
    constexpr wchar_t kAdministrators[] = L"S-1-5-32-544";
    if (out.owner == unixOwner) out.owner = kAdministrators;
    for (trust::Ace& ace : out.dacl)
        if (ace.sid == unixOwner) ace.sid = kAdministrators;
    return true;
}

ProgramTrust CheckProgramTrust(const std::wstring& program, UniqueFile& held) {
    held.reset();
    UniqueFile file = OpenAsIs(program, GENERIC_READ, FILE_SHARE_READ);
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ProgramTrust::Missing
                                                                               : ProgramTrust::Untrusted;
    }
    const size_t slash = program.rfind(L'\\');
    if (slash == std::wstring::npos) return ProgramTrust::Untrusted;
    // A drive root is named with its backslash.
    const std::wstring folder = program.substr(0, slash == 2 ? 3 : slash);
    const UniqueFile folderHandle = OpenAsIs(folder, READ_CONTROL | FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!folderHandle || !IsSound(file.get(), program, false) || !IsSound(folderHandle.get(), folder, true))
        return ProgramTrust::Untrusted;
    held = std::move(file);
    return ProgramTrust::Trusted;
}

bool AdministratorsOnly(const std::wstring& path, bool folder) {
    const UniqueFile object = OpenAsIs(path, READ_CONTROL | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    return object && IsSound(object.get(), path, folder);
}
