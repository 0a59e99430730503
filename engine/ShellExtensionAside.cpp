#include "engine/ShellExtensionAside.h"

#include <windows.h>

#include "engine/RunBackup.h"

void SetShellExtensionAside(InstallState& state) {
    static constexpr const wchar_t* kNames[][2] = {
        {L"\\QuillwireShell.dll", L"\\QuillwireShell_bak.dll"},
        {L"\\QuillwireShell64.dll", L"\\QuillwireShell64_bak.dll"},
    };
    const std::wstring folder = state.installPath;
    auto exists = [](const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    for (const auto& names : kNames)
        if (const std::wstring old = folder + names[1]; exists(old)) static_cast<void>(MoveAside(state, old));
    for (const auto& names : kNames) {
        // Not over a "_bak" that is still there (in use, so it could not move above).
        if (const std::wstring dll = folder + names[0]; exists(dll) && !exists(folder + names[1]))
            static_cast<void>(MoveAsideTo(state, dll, folder + names[1]));
    }
}
