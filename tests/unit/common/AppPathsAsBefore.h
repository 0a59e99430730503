#pragma once
// The client's App Paths key, where "SoftwarePath" names the installation, as a test found
// it. A run that begins points that value at its own folder, and the unit programs share
// one machine: a test that begins runs, or records an installation, puts the key back as
// it was when it ends. (Header only: a folder of tests/unit without sources is no test
// program.)
#include <windows.h>

#include <string>
#include "base/Handles.h"
#include "base/RegistryView.h"
#include "base/pure/ProductNames.h"

class AppPathsAsBefore {
public:
    AppPathsAsBefore() {
        UniqueHKey key;
        hadKey_ = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_READ | kRegistryView, key.put()) ==
                  ERROR_SUCCESS;
        if (!hadKey_) return;
        wchar_t value[1024] = {};
        DWORD bytes = sizeof(value) - sizeof(wchar_t);
        hadValue_ = ::RegQueryValueExW(key.get(), kSoftwarePathValue, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS;
        value_ = value;
    }
    ~AppPathsAsBefore() {
        if (!hadKey_) {
            ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, kRegistryView, 0);
            return;
        }
        UniqueHKey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_SET_VALUE | kRegistryView, key.put()) !=
            ERROR_SUCCESS)
            return;
        if (hadValue_)
            ::RegSetValueExW(key.get(), kSoftwarePathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value_.c_str()),
                             static_cast<DWORD>((value_.size() + 1) * sizeof(wchar_t)));
        else
            ::RegDeleteValueW(key.get(), kSoftwarePathValue);
    }
    AppPathsAsBefore(const AppPathsAsBefore&) = delete;
    AppPathsAsBefore& operator=(const AppPathsAsBefore&) = delete;

private:
    bool hadKey_ = false;
    bool hadValue_ = false;
    std::wstring value_;
};
