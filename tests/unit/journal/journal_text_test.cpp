// Reading journal text back and merging two journals into one (pure code).
#include <gtest/gtest.h>

#include "journal/JournalText.h"

using namespace journal;

namespace {

TEST(JournalSplit, RecordsEndAtCrLfAndACutShortLineIsSetApart) {
    const JournalLines lines = SplitJournal("D C:\\A\r\nF C:\\A\\b\r\n\r\nF C:\\A\\c");
    EXPECT_EQ(lines.records, (std::vector<std::string_view>{"D C:\\A", "F C:\\A\\b", ""}));
    EXPECT_EQ(lines.cutShort, "F C:\\A\\c");
    EXPECT_TRUE(SplitJournal("").records.empty());
    EXPECT_EQ(SplitJournal("F C:\\x\n").cutShort, "F C:\\x\n");  // LF alone ends no record
}

struct MergeCase {
    const char* why;
    const char* earlier;
    const char* later;
    const char* merged;
};

const MergeCase kMerges[] = {
    {"nothing", "", "", ""},
    {"the encrypted journal alone", "F C:\\a\r\nF C:\\b\r\n", "", "F C:\\a\r\nF C:\\b\r\n"},
    {"the plain journal alone", "", "F C:\\a\r\n", "F C:\\a\r\n"},
    {"the later run's records follow", "D C:\\i\r\nF C:\\i\\a\r\n", "F C:\\i\\b\r\n",
     "D C:\\i\r\nF C:\\i\\a\r\nF C:\\i\\b\r\n"},
    // The plain journal of the run that is being finished holds, after a reopen, only
    // what came since; an ended process's plain journal may repeat what was encrypted.
    {"a record both hold keeps its earlier place", "D C:\\i\r\nF C:\\i\\a\r\n",
     "F C:\\i\\a\r\nD C:\\i\\s\r\nF C:\\i\\s\\b\r\nD C:\\i\r\n",
     "D C:\\i\r\nF C:\\i\\a\r\nD C:\\i\\s\r\nF C:\\i\\s\\b\r\n"},
    {"repeats within one journal go too", "F C:\\a\r\nF C:\\a\r\nF C:\\b\r\n", "F C:\\b\r\nF C:\\a\r\n",
     "F C:\\a\r\nF C:\\b\r\n"},
    {"cut-short lines are no records", "F C:\\a\r\nF C:\\b", "F C:\\c\r\nF C:\\d",
     "F C:\\a\r\nF C:\\c\r\n"},
    {"registry records alike", "r 2147483650 K\r\nR 2147483650 K\\V\r\n", "R 2147483650 K\\V\r\nR 2147483649 K\\V\r\n",
     "r 2147483650 K\r\nR 2147483650 K\\V\r\nR 2147483649 K\\V\r\n"},
};

void PrintTo(const MergeCase& c, std::ostream* out) { *out << c.why; }

class JournalMerge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(JournalMerge, KeepsEveryRecordOnceInOrder) {
    const MergeCase& c = GetParam();
    EXPECT_EQ(MergeJournals(c.earlier, c.later), c.merged);
}

INSTANTIATE_TEST_SUITE_P(Cases, JournalMerge, ::testing::ValuesIn(kMerges),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(JournalSelect, RecordsByLineNumberInJournalOrderOnce) {
    const char* text = "D C:\\a\r\nF C:\\a\\1\r\nF C:\\a\\2\r\nR 2147483650 K\\V\r\nF C:\\cut";
    EXPECT_EQ(SelectRecords(text, {4, 2, 2, 0, 5, 99}), "F C:\\a\\1\r\nR 2147483650 K\\V\r\n");
    EXPECT_EQ(SelectRecords(text, {}), "");
}

TEST(JournalFolders, FolderRecordPathsInOrderAsUtf16) {
    EXPECT_EQ(FolderRecordPaths("D C:\\A\r\nF C:\\A\\b\r\nD C:\\A\\\xe9\x82\xae\xe7\xae\xb1\r\nD C:\\cut"),
              (std::vector<std::wstring>{L"C:\\A", L"C:\\A\\\u90ae\u7bb1"}));
}

}  // namespace
