// hardfx_regdeny KEY PROGRAM [ARGS...]: makes HKEY_LOCAL_MACHINE\KEY (with its missing
// parents) refuse new values and subkeys to everyone (a deny entry for KEY_SET_VALUE |
// KEY_CREATE_SUB_KEY ahead of a grant of full access), checks that a write is really
// refused, then runs PROGRAM with ARGS in the same machine session and waits for it.
// Prints "enforced=1" or "enforced=0 error=<code>" first; PROGRAM's output follows.
#include <windows.h>
#include <aclapi.h>
#include <cstdio>
#include <string>

namespace {

bool DenyWrites(HKEY key) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return false;
    EXPLICIT_ACCESSW entries[2] = {};
    entries[0].grfAccessPermissions = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    entries[0].grfAccessMode = DENY_ACCESS;
    entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
    entries[1].grfAccessMode = GRANT_ACCESS;
    for (auto& entry : entries) {
        entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
        entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entry.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    }
    PACL acl = nullptr;
    DWORD result = ::SetEntriesInAclW(2, entries, nullptr, &acl);
    if (result == ERROR_SUCCESS)
        result = ::SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, acl, nullptr);
    ::LocalFree(acl);
    ::FreeSid(everyone);
    return result == ERROR_SUCCESS;
}

// A fresh open for writing, as another program would do it: is the write refused?
LONG TryWrite(const wchar_t* path) {
    HKEY key = nullptr;
    LONG result = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, &key);
    if (result != ERROR_SUCCESS) return result;
    const wchar_t data[] = L"x";
    result = ::RegSetValueExW(key, L"hardfx-probe", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    ::RegDeleteValueW(key, L"hardfx-probe");
    ::RegCloseKey(key);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[1], 0, nullptr, 0, KEY_ALL_ACCESS | WRITE_DAC, nullptr, &key,
                          nullptr) != ERROR_SUCCESS || !DenyWrites(key))
        return 3;
    ::RegCloseKey(key);
    const LONG probe = TryWrite(argv[1]);
    if (probe == ERROR_SUCCESS)
        std::printf("enforced=0 error=0\n");
    else
        std::printf("enforced=1 error=%ld\n", probe);
    std::fflush(stdout);

    std::wstring command;
    for (int i = 2; i < argc; ++i) command += (i > 2 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 4;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
