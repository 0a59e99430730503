// The setup program's entry point. The command line goes to the run flow (app/RunSetup.h),
// whose result is the exit code; the show command is ignored.
#include <windows.h>

#include <string>

#include "app/InstallManager.h"
#include "app/RunSetup.h"
#include "ui/UIGlobals.h"
#include "windows/WindowsSetupUi.h"

namespace {

// The folder of this executable, without trailing backslash.
std::wstring ExecutableFolder(HINSTANCE instance) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Libraries loaded from here on come from the system folder only, never from the folder
// this (elevated) setup was started from, where anything may have been downloaded beside
// it. The libraries outside the system's known DLLs are delay-loaded for this reason (see
// cmake/DelayLoad.cmake). Looked up at run time: Windows 7 has it only with KB2533623;
// without it, at least the current folder leaves the search.
void RestrictLibrarySearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                         reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                   : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    RestrictLibrarySearch();  // first: before anything loads a library
    // The framework's module and resource folder; layouts and images are resources, the
    // folder only serves references by file name (the client prompt's shadow).
    UISetInstance(instance);
    UISetResourcePath(ExecutableFolder(instance) + L"\\skin");

    WindowsSetupUi ui;  // outlives the manager
    int result = 0;
    {
        Install_CIM manager(instance);
        manager.SetUi(&ui);
        result = RunSetup(commandLine, showCommand);
    }  // the manager goes here, closing the install journal after the last window
    return result;
}
