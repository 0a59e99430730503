// hardfx_unkillable: a stand-in client that nobody may end: its own process object denies
// PROCESS_TERMINATE to everyone (a deny entry ahead of the grants), so OpenProcess for
// terminating it fails. Writes its process id to "<own path>.pid" and waits for ever;
// the test ends it from the Linux side.
#include <windows.h>
#include <aclapi.h>
#include <string>

int wmain() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return 3;
    EXPLICIT_ACCESSW entries[2] = {};
    entries[0].grfAccessPermissions = PROCESS_TERMINATE;
    entries[0].grfAccessMode = DENY_ACCESS;
    entries[1].grfAccessPermissions = PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ |
                                      SYNCHRONIZE | READ_CONTROL;
    entries[1].grfAccessMode = GRANT_ACCESS;
    for (auto& entry : entries) {
        entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entry.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    }
    PACL acl = nullptr;
    if (::SetEntriesInAclW(2, entries, nullptr, &acl) != ERROR_SUCCESS) return 4;
    if (::SetSecurityInfo(::GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                          nullptr) != ERROR_SUCCESS)
        return 5;
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string pid = std::to_string(::GetCurrentProcessId());
    HANDLE file = ::CreateFileW((std::wstring(self) + L".pid").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr);
    DWORD written = 0;
    ::WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    ::CloseHandle(file);
    ::Sleep(INFINITE);
    return 0;
}
