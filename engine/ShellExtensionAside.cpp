#include "engine/ShellExtensionAside.h"

#include <windows.h>

#include "engine/InstallJournal.h"

void SetShellExtensionAside(const std::wstring& folder, InstallJournal* journal) {
    static constexpr const wchar_t* kNames[][2] = {
        {L"\\QuillwireShell.dll", L"\\QuillwireShell_bak.dll"},
        {L"\\QuillwireShell64.dll", L"\\QuillwireShell64_bak.dll"},
    };
    for (const auto& names : kNames) ::DeleteFileW((folder + names[1]).c_str());
    for (const auto& names : kNames) {
        const std::wstring aside = folder + names[1];
        // No replacing: a "_bak" that could not be deleted above is still in use.
        if (!::MoveFileExW((folder + names[0]).c_str(), aside.c_str(), 0)) continue;
        if (journal && journal->isOpen()) journal->recordFile(aside);
    }
}
