#include "app/SilentUi.h"

#include "engine/Processes.h"
#include "engine/SetupLog.h"
#include "base/Handles.h"
#include "base/pure/DecimalText.h"

namespace {

// How long a silent setup keeps ending a client that does not go (it may be restarted
// by something, or be beyond this process's rights) before it gives up.
constexpr DWORD kForceCloseLimitMs = 10000;
// How long one round waits for the ended processes to be gone.
constexpr DWORD kEndWaitMs = 2000;

std::wstring IdList(const std::vector<DWORD>& ids) {
    std::wstring list;
    for (DWORD id : ids) list += (list.empty() ? L"" : L", ") + DecimalText(id);
    return list;
}

// Ends the processes and waits, at most `limitMs`, until they are gone: the caller looks
// for the client again at once, and a process being ended is still found.
void EndProcesses(const std::vector<DWORD>& ids, DWORD limitMs) {
    std::vector<UniqueHandle> processes;
    for (DWORD id : ids)
        if (HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id)) processes.emplace_back(process);
    TerminateProcesses(ids);
    const ULONGLONG deadline = ::GetTickCount64() + limitMs;
    for (const UniqueHandle& process : processes) {
        const ULONGLONG now = ::GetTickCount64();
        ::WaitForSingleObject(process.get(), now < deadline ? static_cast<DWORD>(deadline - now) : 0);
    }
}

}  // namespace

void SilentUi::ShowAlreadyRunning() {
    LogStep(L"Another setup is running");
    ending_ = SetupExit::AlreadyRunning;
}

bool SilentUi::ShowClientRunning(const std::vector<DWORD>& ids) {
    if (!forceClose_) {
        LogStep(L"The client is running (processes " + IdList(ids) + L"); /FORCECLOSE not given");
        ending_ = SetupExit::ClientRunning;
        return true;
    }
    const ULONGLONG now = ::GetTickCount64();
    if (forceCloseDeadline_ == 0) {
        forceCloseDeadline_ = now + kForceCloseLimitMs;
    } else if (now >= forceCloseDeadline_) {
        LogStep(L"The client does not end (processes " + IdList(ids) + L")");
        ending_ = SetupExit::ClientRunning;
        return true;
    }
    LogStep(L"Ending the client (processes " + IdList(ids) + L")");
    EndProcesses(ids, kEndWaitMs);
    return false;
}

void SilentUi::ShowWarning(const std::wstring& text, const std::wstring& /*caption*/) {
    LogStep(L"Warning: " + text);
}
