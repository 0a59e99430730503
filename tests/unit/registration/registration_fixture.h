#pragma once
// A throw-away folder under %TEMP%, a throw-away key under HKCU and an open install
// journal whose plain lines can be read back before it is closed.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/InstallJournal.h"
#include "base/Handles.h"

inline std::wstring UniqueName(const wchar_t* tag) {
    static int serial = 0;
    return std::wstring(tag) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
}

class TempFolder {
public:
    TempFolder() {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + UniqueName(L"registration");
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

class TempKey {
public:
    TempKey() : path_(L"Software\\VexmoraTests\\" + UniqueName(L"registration")) {}
    ~TempKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); ::RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str()); }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// The journal's plain lines (without CR LF), read beside its own open handle.
inline std::vector<std::string> PlainJournalLines(const InstallJournal& journal) {
    UniqueFile file(::CreateFileW(journal.path().c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

inline std::string Utf8(const std::wstring& text) {
    const std::u8string u8 = std::filesystem::path(text).u8string();
    return std::string(u8.begin(), u8.end());
}

// True when the calling thread has no COM initialised (probed by initialising it once).
inline bool ComIsUninitialised() {
    const HRESULT hr = ::CoInitialize(nullptr);
    if (SUCCEEDED(hr)) ::CoUninitialize();
    return hr == S_OK;
}
