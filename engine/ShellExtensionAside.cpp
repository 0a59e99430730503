#include "engine/ShellExtensionAside.h"

#include <windows.h>

#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "engine/InstallJournal.h"

void SetShellExtensionAside(const std::wstring& folder, InstallJournal* journal) {
    static constexpr const wchar_t* kNames[][2] = {
        {L"\\QuillwireShell.dll", L"\\QuillwireShell_bak.dll"},
        {L"\\QuillwireShell64.dll", L"\\QuillwireShell64_bak.dll"},
    };
    // Every file is named through a handle checked to lead where its name says (base/
    // CheckedFile.h): a link planted under one of these names takes nothing elsewhere.
    for (const auto& names : kNames) {
        const std::wstring bak = folder + names[1];
        DeleteCheckedFile(bak, ExpectedFinalPath(bak));
    }
    for (const auto& names : kNames) {
        const std::wstring dll = folder + names[0], aside = folder + names[1];
        // No replacing: a "_bak" that could not be deleted above is still in use.
        if (!RenameCheckedFile(dll, ExpectedFinalPath(dll), aside)) continue;
        if (journal && journal->isOpen()) journal->recordFile(aside);
    }
}
