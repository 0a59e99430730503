#include "engine/RegistryRead.h"

#include <vector>
#include "base/Handles.h"
#include "base/RegistryView.h"

bool ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* valueName, CUIString& out) {
    UniqueHKey opened;
    if (::RegOpenKeyExW(root, key, 0, KEY_READ | kRegistryView, opened.put()) != ERROR_SUCCESS) return false;

    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(opened.get(), valueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;

    // One spare character, so a value stored without its NUL still ends in one.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = bytes;
    if (::RegQueryValueExW(opened.get(), valueName, nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;

    const size_t stored = size / sizeof(wchar_t);
    size_t length = 0;
    while (length < stored && buffer[length] != L'\0') ++length;
    out.assign(buffer.data(), length);
    return true;
}
