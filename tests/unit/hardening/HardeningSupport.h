#pragma once
// What the hardening tests share: a throw-away folder, the plain journal's text, and a
// message-only window whose install events stay queued until counted.
#include <windows.h>
#include <string>
#include <vector>

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }
    // Every file and folder below, relative, sorted (folders end in "\").
    std::vector<std::wstring> listing() const;

private:
    std::wstring path_;
};

std::string ReadAllBytes(const std::wstring& path);  // empty when missing
bool PathExists(const std::wstring& path);
std::string Narrow(const std::wstring& text);  // UTF-8, for failure messages

// A message-only window; install events posted to it wait in the queue until taken.
class EventQueue {
public:
    EventQueue();
    ~EventQueue();
    HWND window() const { return window_; }
    // Removes every queued WM_INSTALL_EVENT of this window, in order: their kinds.
    std::vector<WPARAM> take();

private:
    HWND window_ = nullptr;
};
