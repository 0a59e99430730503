// The platform-free rules of base/pure, shared by the framework, the engine and the
// uninstaller. Built under Wine and natively with the sanitizers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include "base/pure/AsciiCase.h"
#include "base/pure/CommandLine.h"
#include "base/pure/DecimalText.h"
#include "base/pure/PathRules.h"
#include "base/pure/Utf.h"

namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

// One U+FFFD for each maximal subpart of what is not well formed: the journal, the
// markup and the reports all read text this way.
TEST(Utf8ToUtf16, ReplacesEachMaximalSubpartOfBrokenText) {
    const Utf8Case cases[] = {
        {"ASCII", "C:\\a b", L"C:\\a b"},
        {"three bytes", "\xe9\x82\xae\xe7\xae\xb1", L"\u90ae\u7bb1"},
        {"four bytes", "\xf0\x9f\x98\x80", L"\xd83d\xde00"},
        {"a stray continuation byte", "a\x80" "b", L"a\uFFFD" L"b"},
        {"a cut sequence at the end", "b\xe9\x82", L"b\uFFFD"},
        {"a cut sequence before ASCII", "\xf0\x9f\x98" "a", L"\uFFFD" L"a"},
        {"an overlong slash", "\xc0\xaf", L"\uFFFD\uFFFD"},
        {"an overlong three-byte form", "\xe0\x80\xaf", L"\uFFFD\uFFFD\uFFFD"},
        {"an encoded surrogate", "\xed\xa0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xf4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"a five-byte lead", "\xf8\x80\x80\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.wide) << c.name;
        // A well-formed text comes back unchanged, and every output converts back.
        if (c.wide.find(L'\uFFFD') == std::wstring::npos) {
            EXPECT_EQ(Utf16ToUtf8(c.wide), c.utf8) << c.name;
        }
    }
}

TEST(Utf8SequenceLength, IsZeroExactlyWhereTheConversionReplaces) {
    EXPECT_EQ(Utf8SequenceLength("a", 0), 1u);
    EXPECT_EQ(Utf8SequenceLength("\xc3\xa9", 0), 2u);
    EXPECT_EQ(Utf8SequenceLength("\xe9\x82\xae", 0), 3u);
    EXPECT_EQ(Utf8SequenceLength("\xf0\x9f\x98\x80", 0), 4u);
    for (const std::string bad : {"\x80", "\xc0\xaf", "\xe9\x82", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xff"})
        EXPECT_EQ(Utf8SequenceLength(bad, 0), 0u) << testing::PrintToString(bad);
}

TEST(AsciiCase, FoldsOnlyTheLettersAToZ) {
    EXPECT_TRUE(SameTextIgnoringAsciiCase(L"Vexmora-PC.EXE", L"vexmora-pc.exe"));
    EXPECT_FALSE(SameTextIgnoringAsciiCase(L"\u00C9", L"\u00E9"));  // É and é stay apart
    EXPECT_FALSE(SameTextIgnoringAsciiCase(L"a", L"ab"));
    EXPECT_EQ(FoldAscii(L'@'), L'@');  // the neighbours of A and Z do not move
    EXPECT_EQ(FoldAscii(L'['), L'[');
    EXPECT_EQ(UpperAscii(L'd'), L'D');
    EXPECT_EQ(UpperAscii(L'\u00E9'), L'\u00E9');  // only a-z rise
    EXPECT_EQ(UpperAscii(L'{'), L'{');
}

struct NameCase {
    const wchar_t* component;
    bool device;
};

TEST(PathRules, DeviceNamesInEveryCaseWithBlanksAndExtensions) {
    const NameCase cases[] = {
        {L"CON", true},        {L"con", true},     {L"Nul.txt", true},     {L"aux .log", true},
        {L"PRN", true},        {L"CONIN$", true},  {L"conout$", true},     {L"COM1", true},
        {L"lpt9", true},       {L"COM0", true},    {L"COM\u00B9", true},   {L"LPT\u00B3.x", true},
        {L"CONSOLE", false},   {L"COM10", false},  {L"LPT", false},        {L"xCON", false},
        {L"Vexmora", false},   {L"COM\u00B4", false}, {L"", false},
    };
    for (const NameCase& c : cases) EXPECT_EQ(IsDeviceName(c.component), c.device) << Utf16ToUtf8(c.component);
}

TEST(PathRules, ForbiddenCharactersAndDroppedEndings) {
    for (const wchar_t* bad : {L"a<b", L"a>b", L"a\"b", L"a|b", L"a?b", L"a*b", L"a\tb", L"a\x1f"})
        EXPECT_TRUE(HasForbiddenNameCharacter(bad)) << Utf16ToUtf8(bad);
    EXPECT_FALSE(HasForbiddenNameCharacter(L"D:\\Program Files (x86)\\邮箱"));
    EXPECT_TRUE(EndsInDotOrBlank(L"dir."));
    EXPECT_TRUE(EndsInDotOrBlank(L"dir "));
    EXPECT_FALSE(EndsInDotOrBlank(L".dir"));
    EXPECT_FALSE(EndsInDotOrBlank(L""));
    for (const wchar_t* up : {L"..", L"...", L".. ", L" .."}) EXPECT_TRUE(ClimbsOut(up)) << Utf16ToUtf8(up);
    for (const wchar_t* stays : {L".", L". ", L"..a", L"a..", L""}) EXPECT_FALSE(ClimbsOut(stays)) << Utf16ToUtf8(stays);
}

TEST(CommandLine, QuotedProgramIsReadBackWhole) {
    const std::wstring path = L"D:\\Program Files\\Vexmora\\Start.exe";
    EXPECT_EQ(QuoteCommandPath(path), L"\"" + path + L"\"");
    EXPECT_EQ(CommandProgram(QuoteCommandPath(path) + L" /x"), path);
    EXPECT_TRUE(IsFullProgramPath(CommandProgram(QuoteCommandPath(path))));
}

// The numbers of the log, the install date and the version text, as printf wrote them.
TEST(DecimalText, ExtremesSignsAndPadding) {
    EXPECT_EQ(DecimalText(0), L"0");
    EXPECT_EQ(DecimalText(-1), L"-1");
    EXPECT_EQ(DecimalText(std::int64_t{INT64_MIN}), L"-9223372036854775808");
    EXPECT_EQ(DecimalText(std::uint64_t{UINT64_MAX}), L"18446744073709551615");
    EXPECT_EQ(DecimalText(static_cast<unsigned long>(4294967295UL)), L"4294967295");
    EXPECT_EQ(DecimalText(static_cast<unsigned short>(65535)), L"65535");
    EXPECT_EQ(ZeroPaddedDecimal(7, 2), L"07");
    EXPECT_EQ(ZeroPaddedDecimal(2026, 4), L"2026");
    EXPECT_EQ(ZeroPaddedDecimal(5, 3), L"005");
    EXPECT_EQ(ZeroPaddedDecimal(12345, 3), L"12345");  // wider than asked: whole, as "%03u"
    EXPECT_EQ(ZeroPaddedDecimal(0, 0), L"0");
}

}  // namespace
