#include "engine/RegistryWrite.h"

#include "engine/InstallJournal.h"
#include "base/Handles.h"

bool SetRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                  const std::wstring& data, InstallJournal* journal) {
    UniqueHKey key;
    if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    if (::RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         bytes) != ERROR_SUCCESS) {
        return false;
    }
    if (journal) journal->recordValue(root, keyPath, valueName);
    return true;
}

bool DeleteRegValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName) {
    UniqueHKey key;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return false;
    return ::RegDeleteValueW(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

void RecordRegKey(HKEY root, const std::wstring& keyPath, InstallJournal* journal) {
    if (journal) journal->recordKey(root, keyPath);
}
