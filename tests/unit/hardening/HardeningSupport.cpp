#include "HardeningSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include "engine/InstallEvents.h"
#include "base/pure/Utf.h"

namespace fs = std::filesystem;

TempFolder::TempFolder(const wchar_t* tag) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"vxh-" + tag + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount());
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
        ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path_, ignored);
}

std::vector<std::wstring> TempFolder::listing() const {
    std::vector<std::wstring> out;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
        std::wstring relative = entry.path().wstring().substr(path_.size() + 1);
        if (entry.is_directory()) relative += L"\\";
        out.push_back(relative);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string ReadAllBytes(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Narrow(const std::wstring& text) {
    return Utf16ToUtf8(text);
}

EventQueue::EventQueue() {
    window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

EventQueue::~EventQueue() {
    take();
    if (window_) ::DestroyWindow(window_);
}

std::vector<WPARAM> EventQueue::take() {
    std::vector<WPARAM> kinds;
    MSG message;
    while (::PeekMessageW(&message, window_, WM_INSTALL_EVENT, WM_INSTALL_EVENT, PM_REMOVE))
        kinds.push_back(message.wParam);
    return kinds;
}
