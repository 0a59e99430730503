// Test program: writes an install journal with known records and closes it, so that the
// system test can decrypt the companion file on the Linux side.
//
//   journalfx_write.exe BASE [FILLER]
//     journal at BASE\VexmoraZevlo邮箱\uninstall (folder created); FILLER more file
//     records "F <folder>\filler\NNNNN" + 64 × "x" + ".dat" follow the known ones, to
//     make a journal large enough to run out of disk space when it is encrypted.
//
// Exit code 0, or 1 on bad arguments or when the folder cannot be made.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "engine/InstallJournal.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) return 1;
    const long filler = argc == 3 ? std::wcstol(argv[2], nullptr, 10) : 0;
    const std::wstring folder = std::wstring(argv[1]) + L"\\VexmoraZevlo\u90ae\u7bb1";
    ::CreateDirectoryW(argv[1], nullptr);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return 1;

    InstallJournal journal;
    journal.open(folder + L"\\uninstall");
    if (!journal.isOpen()) return 1;
    journal.recordFolder(folder + L"\\bin");
    journal.recordFile(folder + L"\\bin\\\u90ae\u4ef6.dll");
    journal.recordFile(folder + L"\\\xd842\xdfb7.txt");  // U+20BB7
    journal.recordKey(HKEY_LOCAL_MACHINE,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VexmoraZevlo\u90ae\u7bb1");
    journal.recordValue(HKEY_LOCAL_MACHINE,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vexmora-PC.exe",
                        L"SoftwarePath");
    journal.recordValue(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                        L"Vexmora-PC");
    for (long i = 0; i < filler; ++i) {
        wchar_t number[16];
        std::swprintf(number, 16, L"%05ld", i);
        journal.recordFile(folder + L"\\filler\\" + number + std::wstring(64, L'x') + L".dat");
    }
    journal.close();
    return 0;
}
