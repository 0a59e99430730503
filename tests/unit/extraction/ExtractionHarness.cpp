#include "ExtractionHarness.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include "engine/InstallEvents.h"
#include "engine/InstallRun.h"
#include "ui/MessageLoop.h"
#include "base/pure/Utf.h"

PayloadBytes Fixture(const wchar_t* name) {
    HRSRC resource = ::FindResourceW(nullptr, name, L"FIXTURE");
    HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return PayloadBytes(static_cast<const std::uint8_t*>(bytes), ::SizeofResource(nullptr, resource));
}

// -- EventWindow ------------------------------------------------------------------------
EventWindow::EventWindow(const InstallState* state) : state_(state) {
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ExtractionEventRecorder";
        return ::RegisterClassW(&windowClass);
    }();
    window_ = ::CreateWindowExW(0, MAKEINTATOM(atom), L"recorder", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, ::GetModuleHandleW(nullptr), this);
}

EventWindow::~EventWindow() {
    if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK EventWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<EventWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<EventWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_INSTALL_EVENT && self) {
        self->events_.push_back({wParam, lParam, self->state_->GetStatusText()});
        if (self->onEvent) self->onEvent(wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

const std::vector<RecordedEvent>& EventWindow::drained() {
    UIPumpMessages();
    return events_;
}

std::vector<WPARAM> EventWindow::kinds() {
    std::vector<WPARAM> out;
    for (const RecordedEvent& e : drained()) out.push_back(e.kind);
    return out;
}

// -- ScriptedPrompt ---------------------------------------------------------------------
FailureAnswer ScriptedPrompt::operator()(const CUIString& message) {
    messages.push_back(message);
    if (answers_.empty()) return FailureAnswer::Abort;
    const FailureAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

// -- Scratch ----------------------------------------------------------------------------
Scratch::Scratch() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp, length) + L"vx-extract-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(install());
}

Scratch::~Scratch() {
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(root_, ignored);
}

// -- ExtractionRun ----------------------------------------------------------------------
ExtractionRun::ExtractionRun(PayloadBytes archive, std::deque<FailureAnswer> answers)
    : prompt(std::move(answers)) {
    state.installPath = scratch.install();
    state.window = window.handle();
    state.journal = std::make_unique<InstallJournal>();
    state.journal->open(scratch.journal());
    hooks.payload = [archive] { return archive; };
    hooks.prompt = [this](const CUIString& message) { return prompt(message); };
    hooks.decodingBlock = [this](std::uint32_t block) { decodedBlocks.push_back(block); };
    hooks.pump = UIPumpMessages;  // as the setup's windows do
}

void ExtractionRun::run() { ExtractPayload(state, hooks); }

std::vector<std::string> ExtractionRun::journalLines() const {
    std::istringstream in(ReadFileBytes(scratch.journal()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// -- helpers ----------------------------------------------------------------------------
std::string Utf8(const std::wstring& text) {
    return Utf16ToUtf8(text);
}

std::string ReadFileBytes(const std::wstring& path) {
    // The journal is open for writing while it is read: share everything.
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    ::CloseHandle(file);
    return out;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FixtureText(int seed, size_t size) {
    const std::string line = "line " + std::to_string(seed) + " \xE9\x82\xAE\xE4\xBB\xB6 mail body text " +
                             std::to_string(seed * 7) + "\n";
    std::string out;
    while (out.size() < size) out += line;
    out.resize(size);
    return out;
}
