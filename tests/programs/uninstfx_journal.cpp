// uninstfx_journal FOLDER RECORD...: appends records to the encrypted install journal
// FOLDER\uninstallE (a new one when there is none), as someone who knows the key could:
// the journal is decrypted into the plain FOLDER\uninstall, then the install journal
// itself reopens that file, appends each RECORD (a whole line without its CR LF, e.g.
// "F C:\windows\x.dll") and closes it, which encrypts it again. A RECORD "@FILE" stands
// for the lines of the UTF-8 file FILE (a whole installation's records are longer than a
// command line may be). Exit code 0 on success.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/InstallJournal.h"
#include "journal/JournalDecrypt.h"
#include "journal/JournalRecord.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring folder = argv[1];
    std::string plain;
    const std::filesystem::path existing(folder + L"\\uninstallE");
    if (std::filesystem::exists(existing) && !DecryptJournalFile(existing, plain)) return 3;
    for (int i = 2; i < argc; ++i) {
        if (argv[i][0] != L'@') {
            plain += journal::Utf16ToUtf8(argv[i]) + "\r\n";
            continue;
        }
        std::ifstream lines(std::filesystem::path(argv[i] + 1), std::ios::binary);
        if (!lines) return 6;
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) plain += line + "\r\n";
        }
    }
    {
        std::ofstream out(std::filesystem::path(folder + L"\\uninstall"), std::ios::binary | std::ios::trunc);
        out << plain;
        if (!out) return 4;
    }
    InstallJournal journal;
    journal.open(folder + L"\\uninstall");
    if (!journal.isOpen()) return 5;
    journal.close();
    return 0;
}
