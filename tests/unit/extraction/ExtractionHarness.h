#pragma once
// What the extraction tests share: the fixture archives compiled into this program, a
// real hidden window that records the install events it is sent or posted, scripted
// answers for the failure prompt, a throw-away install folder, and the journal's lines.
#include <windows.h>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>
#include "engine/Extraction.h"
#include "engine/InstallState.h"

// A resource of type "FIXTURE" ("TREE", "CRC", ...) of this program, in place.
PayloadBytes Fixture(const wchar_t* name);

struct RecordedEvent {
    WPARAM kind;
    LPARAM value;
    CUIString status;  // the state's status text when the event was handled
    bool operator==(const RecordedEvent&) const = default;
};

// A hidden top-level window whose procedure records every WM_INSTALL_EVENT.
class EventWindow {
public:
    explicit EventWindow(const InstallState* state);
    ~EventWindow();
    HWND handle() const { return window_; }
    // Dispatches what is still queued (the events posted last), then returns the record.
    const std::vector<RecordedEvent>& drained();
    std::vector<WPARAM> kinds();
    // Told of each event as the window handles it, after it is recorded (optional).
    std::function<void(WPARAM kind, LPARAM value)> onEvent;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    const InstallState* state_;
    std::vector<RecordedEvent> events_;
};

// Answers prompts from a script and keeps the messages it was shown. An unexpected
// prompt is answered Abort, and the test sees it in `messages`.
class ScriptedPrompt {
public:
    explicit ScriptedPrompt(std::deque<FailureAnswer> answers = {}) : answers_(std::move(answers)) {}
    FailureAnswer operator()(const CUIString& message);
    std::vector<CUIString> messages;
    size_t unanswered() const { return answers_.size(); }

private:
    std::deque<FailureAnswer> answers_;
};

// A fresh folder under the temporary folder: root() holds the install folder "inst"
// (created) and the journal; everything is removed at the end, read-only files included.
class Scratch {
public:
    Scratch();
    ~Scratch();
    std::wstring root() const { return root_; }
    std::wstring install() const { return root_ + L"\\inst"; }
    std::wstring journal() const { return root_ + L"\\journal"; }

private:
    std::wstring root_;
};

// One extraction set up for a test: state with the scratch folder, an open journal at
// scratch.journal(), the event window, and hooks over a fixture, a scripted prompt and
// the framework's pump.
struct ExtractionRun {
    explicit ExtractionRun(PayloadBytes archive, std::deque<FailureAnswer> answers = {});
    void run();                                   // ExtractPayload with the hooks
    std::vector<std::string> journalLines() const;  // the plain journal, line by line (UTF-8)

    Scratch scratch;
    InstallState state{::GetModuleHandleW(nullptr)};
    EventWindow window{&state};
    ScriptedPrompt prompt;
    ExtractionHooks hooks;
    std::vector<std::uint32_t> decodedBlocks;
};

std::string Utf8(const std::wstring& text);
std::string ReadFileBytes(const std::wstring& path);  // empty when missing
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
// The text generator of make_fixtures.py: a numbered UTF-8 line repeated to `size` bytes.
std::string FixtureText(int seed, size_t size);
