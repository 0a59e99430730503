#include "engine/SetupLog.h"

#include "journal/JournalRecord.h"
#include "base/Handles.h"
#include "base/pure/DecimalText.h"

namespace {

UniqueFile g_log;

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring TimeStamp() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return ZeroPaddedDecimal(now.wYear, 4) + L'-' + ZeroPaddedDecimal(now.wMonth, 2) + L'-' +
           ZeroPaddedDecimal(now.wDay, 2) + L' ' + ZeroPaddedDecimal(now.wHour, 2) + L':' +
           ZeroPaddedDecimal(now.wMinute, 2) + L':' + ZeroPaddedDecimal(now.wSecond, 2) + L'.' +
           ZeroPaddedDecimal(now.wMilliseconds, 3) + L"  ";
}

// The system's text for `error`, on one line; empty when it has none.
std::wstring ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    if (buffer) ::LocalFree(buffer);
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

}  // namespace

bool OpenSetupLog(const std::wstring& path, LogName kind) {
    UniqueFile file = CreateLogFile(path, kind);
    if (!file.valid()) return false;
    if (!WriteAll(file.get(), "\xEF\xBB\xBF")) return false;
    g_log = std::move(file);
    return true;
}

void CloseSetupLog() noexcept { g_log.reset(); }

bool SetupLogOpen() noexcept { return g_log.valid(); }

std::wstring DefaultSetupLogPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder = length > 0 && length <= MAX_PATH ? std::wstring(temp, length) : std::wstring();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return folder + L"VexmoraSetup-" + ZeroPaddedDecimal(now.wYear, 4) + ZeroPaddedDecimal(now.wMonth, 2) +
           ZeroPaddedDecimal(now.wDay, 2) + L'-' + ZeroPaddedDecimal(now.wHour, 2) + ZeroPaddedDecimal(now.wMinute, 2) +
           ZeroPaddedDecimal(now.wSecond, 2) + L".log";
}

void LogStep(std::wstring_view text) noexcept {
    if (!g_log.valid()) return;
    try {
        const DWORD error = ::GetLastError();  // a log line leaves the caller's error as it was
        WriteAll(g_log.get(), journal::Utf16ToUtf8(TimeStamp() + std::wstring(text) + L"\r\n"));
        ::SetLastError(error);
    } catch (...) {  // out of memory: the line is lost
    }
}

void LogFailure(std::wstring_view what, std::wstring_view file, DWORD error) noexcept {
    if (!g_log.valid()) return;
    try {
        std::wstring line(what);
        line += L' ';
        line += file;
        line += L": error " + DecimalText(error);
        if (const std::wstring text = ErrorText(error); !text.empty()) line += L" (" + text + L")";
        LogStep(line);
    } catch (...) {
    }
}
