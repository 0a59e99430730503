// The text of journal records and the reader's well-formedness check (pure code).
#include <gtest/gtest.h>

#include "journal/JournalRecord.h"

using namespace journal;

namespace {

struct Utf8Case {
    const wchar_t* wide;
    const char* utf8;
};

TEST(JournalUtf8, ConvertsEveryLengthAndSurrogatePairs) {
    const Utf8Case cases[] = {
        {L"", ""},
        {L"C:\\Program Files", "C:\\Program Files"},
        {L"\u00e9", "\xc3\xa9"},                                // 2 bytes
        {L"\u90ae\u7bb1", "\xe9\x82\xae\xe7\xae\xb1"},          // 邮箱, 3 bytes each
        {L"\xd842\xdfb7", "\xf0\xa0\xae\xb7"},                  // U+20BB7 as one 4-byte sequence
        {L"\xdbff\xdfff", "\xf4\x8f\xbf\xbf"},                  // U+10FFFF
        {L"a\xd842", "a\xef\xbf\xbd"},                          // high surrogate at the end
        {L"\xdfb7" L"b", "\xef\xbf\xbd" "b"},                   // lone low surrogate
        {L"\xd842\xd842\xdfb7", "\xef\xbf\xbd\xf0\xa0\xae\xb7"}, // high, then a full pair
    };
    for (const auto& c : cases) EXPECT_EQ(c.utf8, Utf16ToUtf8(c.wide)) << testing::PrintToString(c.utf8);
}

TEST(JournalRecords, LinesHaveTheLetterTheRootInDecimalAndCrLf) {
    EXPECT_EQ("D C:\\A\r\n", FolderRecord(L"C:\\A"));
    EXPECT_EQ("F D:\\\xe9\x82\xae\xe7\xae\xb1\\\xf0\xa0\xae\xb7.txt\r\n", FileRecord(L"D:\\\u90ae\u7bb1\\\xd842\xdfb7.txt"));
    EXPECT_EQ("R 2147483650 Software\\Vexmora\\SoftwarePath\r\n",
              ValueRecord(kRootLocalMachine, L"Software\\Vexmora", L"SoftwarePath"));
    EXPECT_EQ("R 2147483649 Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Vexmora-PC\r\n",
              ValueRecord(kRootCurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Vexmora-PC"));
    EXPECT_EQ("r 2147483650 Software\\Vexmora\r\n", KeyRecord(kRootLocalMachine, L"Software\\Vexmora"));
    // Text is written unchanged: no quoting, blanks and quotes stay as they are.
    EXPECT_EQ("F C:\\a \"b\"\\c\r\n", FileRecord(L"C:\\a \"b\"\\c"));
}

struct LineCase {
    const char* line;
    bool wellFormed;
};

TEST(JournalCheck, AcceptsTheRecordKindsAndRejectsEverythingElse) {
    const LineCase cases[] = {
        {"D C:\\A", true},
        {"F d:\\x\\y.dll", true},
        {"F \\\\server\\share\\f", true},
        {"F D:\\\xe9\x82\xae\xe7\xae\xb1\\\xf0\xa0\xae\xb7", true},
        {"R 2147483650 Software\\X\\Name", true},
        {"R 2147483649 Software\\X\\", true},  // the default value has an empty name
        {"r 2147483649 Software\\X", true},
        // A run that is not finished: its begin, a file moved aside, a value as it was.
        {"T D:\\Mail", true},
        {"B D:\\Mail\\a.dll|D:\\Mail\\uninstall.backup\\1", true},
        {"V 2147483650 Software\\X\\Name|1|43003a00", true},
        {"V 2147483649 Software\\X\\|4|", true},  // an empty value
        {"T relative", false},
        {"B D:\\Mail\\a.dll", false},              // no backup
        {"B D:\\Mail\\a.dll|backup\\1", false},   // a backup that is no absolute path
        {"V 2147483650 Software\\X\\Name|1", false},
        {"V 2147483650 Software\\X\\Name|x|00", false},
        {"V 2147483650 Software\\X\\Name|1|0", false},     // half a byte
        {"V 2147483650 Software\\X\\Name|1|4A00", false},  // upper-case hex
        {"", false},
        {"D", false},
        {"D ", false},
        {"X C:\\A", false},
        {"d C:\\A", false},
        {"DC:\\A", false},
        {"D C:\\", false},           // the drive root is never recorded
        {"D relative\\path", false},
        {"F C:/a", false},
        {"R 2147483651 Software\\X\\N", false},
        {"R 80000002 Software\\X\\N", false},
        {"R 2147483650 Software", false},   // no value name
        {"R 2147483650", false},
        {"r 2147483650 ", false},
        {"r 2147483650 \\Software", false},
        {"F C:\\a\tb", false},
        {"F C:\\a\xff", false},             // invalid UTF-8
        {"F C:\\a\xed\xa0\x80", false},     // an encoded surrogate
        {"F C:\\a\xc0\xaf", false},         // overlong
        {"F C:\\a\xf0\xa0\xae", false},     // truncated sequence
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.wellFormed, CheckRecordLine(c.line).empty()) << '"' << c.line << '"';
}

TEST(JournalCheck, ReportsTheFirstBadLine) {
    EXPECT_EQ(0u, CheckJournalText("").line);
    EXPECT_EQ(0u, CheckJournalText("D C:\\A\r\nF C:\\A\\b\r\n").line);
    EXPECT_EQ(2u, CheckJournalText("D C:\\A\r\nQ\r\nX\r\n").line);
    EXPECT_EQ(2u, CheckJournalText("D C:\\A\r\nF C:\\A\\b").line);  // last line without CR LF
    EXPECT_EQ(1u, CheckJournalText("D C:\\A\nF C:\\A\\b\r\n").line);  // LF alone
    EXPECT_EQ(2u, CheckJournalText("D C:\\A\r\n\r\n").line);          // an empty line
}

}  // namespace
