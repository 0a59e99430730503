// journal-dump: prints the records of an encrypted install journal ("uninstallE") for
// support engineers and tests.
//
//   journal-dump.exe FILE          decrypt FILE and print its records (UTF-8, CR LF)
//   journal-dump.exe --check FILE  also check that every line is a well-formed record
//
// Exit codes: 0 success, 1 usage, 2 FILE cannot be read or decrypted, 3 a malformed
// record (with --check). Records go to stdout as raw bytes; messages go to stderr.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "journal/JournalDecrypt.h"
#include "journal/JournalKey.h"
#include "journal/JournalRecord.h"

namespace {

enum ExitCode { kOk = 0, kUsage = 1, kUnreadable = 2, kMalformed = 3 };

int Usage() {
    std::fputs("usage: journal-dump.exe [--check] FILE\n", stderr);
    return kUsage;
}

void PrintHex(const char* label, const unsigned char* bytes, std::size_t size) {
    std::printf("%s ", label);
    for (std::size_t i = 0; i < size; ++i) std::printf("%02x", bytes[i]);
    std::printf("\n");
}

// Not in the usage text: lets the tests decrypt with an independent tool while the key
// itself stays in journal/JournalKey.cpp.
int PrintKey() {
    const JournalKeyPair secret = JournalKeyMaterial();
    PrintHex("key", secret.key.data(), secret.key.size());
    PrintHex("iv", secret.iv.data(), secret.iv.size());
    return kOk;
}

int Dump(const wchar_t* file, bool check) {
    std::string plain;
    if (!DecryptJournalFile(file, plain)) {
        std::fputs("journal-dump: cannot read or decrypt the journal\n", stderr);
        return kUnreadable;
    }
    std::fwrite(plain.data(), 1, plain.size(), stdout);
    std::fflush(stdout);
    if (!check) return kOk;
    const journal::JournalProblem problem = journal::CheckJournalText(plain);
    if (problem.line == 0) return kOk;
    std::fprintf(stderr, "journal-dump: line %u: %s\n", static_cast<unsigned>(problem.line),
                 problem.reason.c_str());
    return kMalformed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Raw bytes: the records are UTF-8 with their own CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 2 && std::wstring_view(argv[1]) == L"--print-key") return PrintKey();
    if (argc == 2 && argv[1][0] != L'-') return Dump(argv[1], false);
    if (argc == 3 && std::wstring_view(argv[1]) == L"--check") return Dump(argv[2], true);
    return Usage();
}
