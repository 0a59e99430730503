#pragma once
// Throw-away places for the tests: a folder under %TEMP% and a key under HKCU, both
// removed with everything in them when the test ends.
#include <windows.h>
#include <filesystem>
#include <string>
#include "base/pure/Utf.h"

class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* tag) {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        static int serial = 0;
        path_ = std::wstring(temp) + tag + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(++serial);
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

class ScratchKey {
public:
    explicit ScratchKey(const wchar_t* tag)
        : path_(std::wstring(L"Software\\VexmoraTests\\") + tag + L"-" + std::to_wstring(::GetCurrentProcessId())) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr);
    }
    ~ScratchKey() {
        ::RegCloseKey(key_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }
    HKEY get() const { return key_; }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
};

inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// For failure messages: UTF-16 to UTF-8.
inline std::string U8(const std::wstring& text) {
    return Utf16ToUtf8(text);
}

// A program of build/tests/programs (tests/programs), found from the test program itself
// (build/tests). Started from outside every drive, this Wine names the test program
// "unix\..."; the file system takes that place as "\\?\unix\...".
inline std::wstring TestProgram(const std::wstring& name) {
    wchar_t self[MAX_PATH] = {};
    std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    if (path.rfind(L"unix\\", 0) == 0) path.insert(0, L"\\\\?\\");
    return path.substr(0, path.rfind(L'\\')) + L"\\programs\\" + name;
}
