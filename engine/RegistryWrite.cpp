#include "engine/RegistryWrite.h"

#include "engine/InstallJournal.h"
#include "base/Handles.h"
#include "base/RegistryView.h"

namespace {

// A value as it is before a run changes it, recorded for taking the run back. True when
// there is nothing to record (no run, no such value) or it was recorded.
bool RecordOldValue(HKEY key, HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                    InstallJournal* journal) {
    if (!journal || !journal->inRun()) return true;
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return true;
    std::string data(bytes, '\0');
    if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
        ERROR_SUCCESS)
        return false;
    data.resize(bytes);
    return journal->recordOldValue(root, keyPath, valueName, type, data);
}

// Creates keyPath (with missing parents), stores one value and journals it once stored.
bool SetRegValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD type,
                 const void* data, DWORD bytes, InstallJournal* journal) {
    UniqueHKey key;
    if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE | kRegistryView, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    if (!RecordOldValue(key.get(), root, keyPath, valueName, journal)) return false;
    if (::RegSetValueExW(key.get(), valueName.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (journal) journal->recordValue(root, keyPath, valueName);
    return true;
}

}  // namespace

bool SetRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                  const std::wstring& data, InstallJournal* journal) {
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return SetRegValue(root, keyPath, valueName, REG_SZ, data.c_str(), bytes, journal);
}

bool SetRegDword(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD data,
                 InstallJournal* journal) {
    return SetRegValue(root, keyPath, valueName, REG_DWORD, &data, sizeof data, journal);
}

bool DeleteRegValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                    InstallJournal* journal) {
    UniqueHKey key;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE | kRegistryView, key.put()) !=
        ERROR_SUCCESS)
        return false;
    if (!RecordOldValue(key.get(), root, keyPath, valueName, journal)) return false;
    return ::RegDeleteValueW(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

void RecordRegKey(HKEY root, const std::wstring& keyPath, InstallJournal* journal) {
    if (journal) journal->recordKey(root, keyPath);
}
