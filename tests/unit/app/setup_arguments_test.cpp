// The setup's command line: a table of lines as management tools and people write them,
// each with what the setup reads from it or the argument it refuses. Pure code: also
// built natively under the sanitizers (tests/native).
#include <gtest/gtest.h>

#include <string>

#include "app/ExitCodes.h"
#include "app/SetupArguments.h"
#include "base/pure/DecimalText.h"

namespace {

// The arguments as one comparable text, so that a failing case shows all of them.
std::wstring Describe(const SetupArguments& a) {
    std::wstring text;
    if (a.silent) text += L" silent";
    if (a.log) text += L" log[" + a.logFile + L"]";
    if (a.noAutoStart) text += L" noautostart";
    if (a.noDesktopIcon) text += L" nodesktopicon";
    if (a.launch) text += L" launch";
    if (a.forceClose) text += L" forceclose";
    if (a.help) text += L" help";
    if (!a.folder.empty()) text += L" folder[" + a.folder + L"]";
    return text;
}

struct ArgumentsCase {
    const wchar_t* line;
    const wchar_t* read;   // Describe() of the arguments; null when the line is refused
    const wchar_t* wrong;  // the refused argument, as written
};

const ArgumentsCase kCases[] = {
    // Started as today: nothing.
    {L"", L"", nullptr},
    {L"   \t ", L"", nullptr},
    // Switches, in any case, between blanks and tabs.
    {L"/S", L" silent", nullptr},
    {L"/s", L" silent", nullptr},
    {L"  /S\t/LOG  ", L" silent log[]", nullptr},
    {L"/Log /NoAutoStart /nodesktopicon /LAUNCH /forceclose",
     L" log[] noautostart nodesktopicon launch forceclose", nullptr},
    {L"/?", L" help", nullptr},
    {L"/S /S", L" silent", nullptr},
    // The log's file; in quotes when it holds blanks, the quotes dropped.
    {L"/LOG=C:\\logs\\setup.log", L" log[C:\\logs\\setup.log]", nullptr},
    {L"/log=C:\\logs\\setup.log /LOG", L" log[]", nullptr},
    {L"\"/LOG=C:\\my logs\\\u5b89\u88c5.log\" /S", L" silent log[C:\\my logs\\\u5b89\u88c5.log]", nullptr},
    {L"/LOG=\"C:\\my logs\\setup.log\"", L" log[C:\\my logs\\setup.log]", nullptr},
    // "/D=": the rest of the line, unquoted, blanks and Chinese included; last.
    {L"/S /D=C:\\Program Files\\Vexmora \u90ae\u7bb1",
     L" silent folder[C:\\Program Files\\Vexmora \u90ae\u7bb1]", nullptr},
    {L"/S /d=D:\\Apps  \t", L" silent folder[D:\\Apps]", nullptr},
    {L"/D=D:\\Apps /S /LOG", L" folder[D:\\Apps /S /LOG]", nullptr},
    {L"/D=D:\\a \"b\" c", L" folder[D:\\a \"b\" c]", nullptr},
    {L"/D=\"D:\\Program Files\\Mail\"", L" folder[D:\\Program Files\\Mail]", nullptr},
    {L"\"/D=D:\\Program Files\\Mail\" /S", L" silent folder[D:\\Program Files\\Mail]", nullptr},
    // Refused: the whole line installs nothing.
    {L"/D=", nullptr, L"/D="},
    {L"/S /D=   ", nullptr, L"/D="},
    {L"/LOG=", nullptr, L"/LOG="},
    {L"/S /SILENT", nullptr, L"/SILENT"},
    {L"/VERYSILENT /S", nullptr, L"/VERYSILENT"},
    {L"/DIR=D:\\Apps", nullptr, L"/DIR=D:\\Apps"},
    {L"S", nullptr, L"S"},
    {L"-S", nullptr, L"-S"},
    {L"/S/LOG", nullptr, L"/S/LOG"},
    {L"/S \"\"", nullptr, L"\"\""},
    {L"/S \"/unknown switch\" /LOG", nullptr, L"\"/unknown switch\""},
    {L"/LAUNCH /D", nullptr, L"/D"},
};

TEST(SetupArguments, EachLineOfTheTable) {
    for (const ArgumentsCase& c : kCases) {
        SCOPED_TRACE(std::string("line ") + std::to_string(&c - kCases));
        const ParsedArguments parsed = ParseSetupArguments(c.line);
        if (c.read) {
            EXPECT_TRUE(parsed.ok) << "refused: " << std::string(parsed.wrong.begin(), parsed.wrong.end());
            EXPECT_EQ(std::wstring(c.read), Describe(parsed.arguments));
        } else {
            EXPECT_FALSE(parsed.ok);
            EXPECT_EQ(std::wstring(c.wrong), parsed.wrong);
        }
    }
}

TEST(SetupArguments, UsageNamesEveryArgumentAndExitCode) {
    const std::wstring usage = SetupUsageText();
    const wchar_t* const names[] = {L"/S",      L"/D=",         L"/LOG", L"/NOAUTOSTART", L"/NODESKTOPICON",
                                    L"/LAUNCH", L"/FORCECLOSE", L"/?",   L"Exit codes: 0 installed; 1 wrong"};
    for (const wchar_t* name : names) EXPECT_NE(std::wstring::npos, usage.find(name)) << "entry " << (&name - names);
    for (const SetupExitMeaning& row : kSetupExits) {
        const std::wstring listed = L" " + DecimalText(ExitCodeOf(row.exit)) + L" " + row.summary;
        EXPECT_NE(std::wstring::npos, usage.find(listed)) << "exit code " << ExitCodeOf(row.exit);
    }
}

}  // namespace
