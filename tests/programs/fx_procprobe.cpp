// Calls the process operations of the engine for the process system test and prints
// what they did. Arguments may spell characters as \uXXXX (the console code page of a
// test run cannot carry them).
//   find NAME...                 ids of the processes found, blank-separated
//   terminate ID...
//   uninstall FOLDER             "elapsed=<ms> recorded=<0|1>" (FOLDER\uninstall-cmdline.txt)
//   launch PATH [ARGS]           LaunchAsSignedInUser("PATH" ARGS): "ok=<0|1> why=<text>"
//   hidden COMMANDLINE           RunHiddenCommand
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <tuple>
#include <vector>

#include "engine/ClientLaunch.h"
#include "engine/Processes.h"

namespace {

std::wstring Decode(const wchar_t* arg) {
    std::wstring out;
    for (const wchar_t* p = arg; *p; ++p) {
        if (p[0] == L'\\' && p[1] == L'u' && wcslen(p) >= 6) {
            out += static_cast<wchar_t>(std::wcstoul(std::wstring(p + 2, 4).c_str(), nullptr, 16));
            p += 5;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::vector<std::wstring> args;
    for (int i = 2; i < argc; ++i) args.push_back(Decode(argv[i]));
    const std::wstring command = argv[1];

    if (command == L"find") {
        for (DWORD id : FindProcessesByName(args)) std::printf("%lu ", static_cast<unsigned long>(id));
        std::printf("\n");
    } else if (command == L"terminate") {
        std::vector<DWORD> ids;
        for (const auto& a : args) ids.push_back(std::wcstoul(a.c_str(), nullptr, 10));
        TerminateProcesses(ids);
    } else if (command == L"uninstall" && args.size() == 1) {
        const ULONGLONG start = ::GetTickCount64();
        std::ignore = RunPreviousUninstaller(args[0]);
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        const bool recorded =
            ::GetFileAttributesW((args[0] + L"\\uninstall-cmdline.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
        std::printf("elapsed=%llu recorded=%d\n", elapsed, recorded ? 1 : 0);
    } else if (command == L"launch" && !args.empty()) {
        const std::wstring extra = args.size() > 1 ? L" " + args[1] : L"";
        const ClientLaunch launch = LaunchAsSignedInUser(QuoteCommandPath(args[0]) + extra);
        std::printf("ok=%d why=%ls\n", launch.started ? 1 : 0, launch.whyNot.c_str());
    } else if (command == L"hidden" && args.size() == 1) {
        RunHiddenCommand(args[0]);
    } else {
        return 2;
    }
    std::fflush(stdout);
    return 0;
}
