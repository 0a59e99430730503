#include "engine/Processes.h"

#include <psapi.h>
#include "engine/FileTrust.h"
#include "engine/SetupLog.h"
#include "base/pure/ProductNames.h"
#include "base/Handles.h"
#include "base/Process.h"
#include "base/pure/AsciiCase.h"
#include "base/pure/DecimalText.h"

namespace {

// The system's own rule for executable names: only the letters A-Z fold.
bool SameName(const wchar_t* a, const std::wstring& b) { return SameTextIgnoringAsciiCase(a, b); }

// EnumProcesses cannot say how much room it needs: grow until the answer is not full.
std::vector<DWORD> AllProcessIds() {
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD bytes = 0;
        if (!::EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
            return {};
        const size_t count = bytes / sizeof(DWORD);
        if (count < ids.size()) {
            ids.resize(count);
            return ids;
        }
        ids.assign(ids.size() + 1024, 0);
    }
}

// The base names of every module of the process, of both word sizes; empty when they
// cannot be listed. Each name is that of the file mapped at the module's address: one
// system call a module. Asking for each module's base name instead walks the process's
// module list from its start every time (quadratic), and the system's module snapshot
// reads several entries of the other process's memory for each module; under Wine, where
// every such read is a round trip to its server, that made the look for the client (every
// process on the machine, before the first window) three times as slow: 37 ms against
// 11 ms for the 82 modules of a fresh Wine machine's six processes.
std::vector<std::wstring> ModuleNamesOf(DWORD id) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    if (!process) return {};
    std::vector<HMODULE> modules(64);
    // The list may change between the calls: ask again while it does not fit. A process
    // that is still starting may not have a list yet (ERROR_PARTIAL_COPY): a few tries.
    for (int attempt = 0;; ++attempt) {
        DWORD needed = 0;
        const DWORD room = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        if (!::EnumProcessModulesEx(process.get(), modules.data(), room, &needed, LIST_MODULES_ALL)) {
            if (::GetLastError() != ERROR_PARTIAL_COPY || attempt == 4) return {};
            continue;
        }
        if (needed <= room) {
            modules.resize(needed / sizeof(HMODULE));
            break;
        }
        modules.resize(needed / sizeof(HMODULE) + 16);
    }
    std::vector<std::wstring> names;
    std::wstring path(1024, L'\0');
    for (HMODULE module : modules) {
        const DWORD length = ::GetMappedFileNameW(process.get(), module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size()) continue;  // gone, or a name cut short
        const size_t slash = path.rfind(L'\\', length - 1);
        names.emplace_back(path, slash == std::wstring::npos ? 0 : slash + 1, length - (slash + 1));
    }
    return names;
}

bool AnyNamed(const std::vector<std::wstring>& modules, const std::vector<std::wstring>& names) {
    for (const std::wstring& module : modules)
        for (const std::wstring& wanted : names)
            if (SameName(module.c_str(), wanted)) return true;
    return false;
}

}  // namespace

std::vector<DWORD> FindProcessesByName(const std::vector<std::wstring>& names) {
    std::vector<DWORD> found;
    if (names.empty()) return found;
    for (DWORD id : AllProcessIds())
        if (AnyNamed(ModuleNamesOf(id), names)) found.push_back(id);
    return found;
}

ClientProcesses FindClientProcesses() {
    ClientProcesses found;
    for (DWORD id : AllProcessIds()) {
        const std::vector<std::wstring> modules = ModuleNamesOf(id);
        if (AnyNamed(modules, {kClientProcessName})) found.clients.push_back(id);
        if (AnyNamed(modules, {kCrashReporterName})) found.crashReporters.push_back(id);
    }
    return found;
}

void TerminateProcesses(const std::vector<DWORD>& ids) {
    for (DWORD id : ids) {
        UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                           FALSE, id));
        if (process) ::TerminateProcess(process.get(), 0);
    }
}

EarlierUninstaller RunPreviousUninstaller(const std::wstring& folder) {
    const std::wstring path = folder + L"\\" + kUninstallerName;
    UniqueFile held;
    switch (CheckProgramTrust(path, held)) {
        case ProgramTrust::Missing: return EarlierUninstaller::None;
        case ProgramTrust::Untrusted: return EarlierUninstaller::Refused;
        case ProgramTrust::Trusted: break;
    }
    ProcessStart start;
    start.program = path;
    start.commandLine = L" true";  // the program name is not repeated in it
    const ProcessHandles started = StartProcess(start);
    const DWORD startError = ::GetLastError();
    held.reset();  // the image is mapped; the uninstaller renames its file before it ends
    if (!started) {
        LogFailure(L"Not started:", path, startError);
        return EarlierUninstaller::NotStarted;
    }
    ::WaitForSingleObject(started.process.get(), INFINITE);
    DWORD exitCode = 0;
    if (::GetExitCodeProcess(started.process.get(), &exitCode))
        LogStep(L"Earlier uninstaller ended with exit code " + DecimalText(exitCode));
    return EarlierUninstaller::Ran;
}

namespace {

// The started process, or an empty handle when it could not be started. The program is
// named apart from the command line, so the system searches nowhere for it.
UniqueHandle StartHidden(const std::wstring& commandLine) {
    const std::wstring program = CommandProgram(commandLine);
    if (!IsFullProgramPath(program)) return UniqueHandle();
    ProcessStart start;
    start.program = program;
    start.commandLine = commandLine;
    start.flags = CREATE_NO_WINDOW;
    start.hidden = true;
    return StartProcess(start).process;
}

}  // namespace

void RunHiddenCommand(const std::wstring& commandLine) { StartHidden(commandLine); }

void RunHiddenCommandAndWait(const std::wstring& commandLine, DWORD limitMs) {
    const UniqueHandle process = StartHidden(commandLine);
    if (process) ::WaitForSingleObject(process.get(), limitMs);
}
