#include "base/pure/CommandLine.h"

std::wstring QuoteCommandPath(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring CommandProgram(const std::wstring& commandLine) {
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        return commandLine.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    return commandLine.substr(0, commandLine.find_first_of(L" \t"));
}

bool IsFullProgramPath(const std::wstring& program) {
    const bool letter = !program.empty() && ((program[0] >= L'A' && program[0] <= L'Z') ||
                                             (program[0] >= L'a' && program[0] <= L'z'));
    return letter && program.size() > 3 && program[1] == L':' && program[2] == L'\\';
}
