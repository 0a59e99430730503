// An install run in its journal: where the run begins, and what a finished run leaves as
// the installation's records. Built under Wine and natively with the sanitizers.
#include <gtest/gtest.h>

#include <string>
#include "journal/RunTransaction.h"

namespace {

TEST(SplitAtRun, TheLastBeginRecordStartsTheRun) {
    struct Case {
        const char* name;
        std::string text;
        bool pending;
        std::string before;
        std::string run;
    };
    const Case cases[] = {
        {"no journal", "", false, "", ""},
        {"an installation", "D C:\\A\r\nF C:\\A\\x\r\n", false, "D C:\\A\r\nF C:\\A\\x\r\n", ""},
        {"a run over it", "F C:\\A\\x\r\nT C:\\A\r\nF C:\\A\\y\r\n", true, "F C:\\A\\x\r\n",
         "T C:\\A\r\nF C:\\A\\y\r\n"},
        {"only a run", "T C:\\A\r\n", true, "", "T C:\\A\r\n"},
        // A run that was taken back only in part, then a new one: the last begins the run.
        {"two runs", "T C:\\A\r\nF C:\\A\\x\r\nT C:\\A\r\nF C:\\A\\y\r\n", true, "T C:\\A\r\nF C:\\A\\x\r\n",
         "T C:\\A\r\nF C:\\A\\y\r\n"},
        {"a line cut short at the end", "F C:\\A\\x\r\nT C:\\A\r\nF C:\\A", true, "F C:\\A\\x\r\n", "T C:\\A\r\n"},
        {"a path that only looks like a begin", "F C:\\T \r\n", false, "F C:\\T \r\n", ""},
    };
    for (const Case& c : cases) {
        const journal::RunSplit split = journal::SplitAtRun(c.text);
        EXPECT_EQ(split.pending, c.pending) << c.name;
        EXPECT_EQ(split.before, c.before) << c.name;
        EXPECT_EQ(split.run, c.run) << c.name;
    }
}

TEST(FinishedRunRecords, KeepWhatTheInstallationHasOnceAtItsLastPlace) {
    const std::string run =
        "T C:\\A\r\n"
        "r 2147483650 Software\\App\r\n"
        "V 2147483650 Software\\App\\Path|1|4100\r\n"
        "F C:\\A\\new.txt\r\n"
        "F C:\\A\\old.dll.vxnew\r\n"
        "B C:\\A\\old.dll|C:\\A\\uninstall.backup\\1\r\n"
        "D C:\\A\\sub\r\n"
        "r 2147483650 Software\\App\r\n"
        "R 2147483650 Software\\App\\Path\r\n"
        "not a record\r\n";
    // The file moved aside now holds the new one; the begin record and old values go; the
    // key recorded first thing and again by registration stays once, where registration
    // has it. A line that is no record is dropped.
    EXPECT_EQ(journal::FinishedRunRecords(run),
              "F C:\\A\\new.txt\r\n"
              "F C:\\A\\old.dll.vxnew\r\n"
              "F C:\\A\\old.dll\r\n"
              "D C:\\A\\sub\r\n"
              "r 2147483650 Software\\App\r\n"
              "R 2147483650 Software\\App\\Path\r\n");
    EXPECT_EQ(journal::FinishedRunRecords("T C:\\A\r\n"), "");
}

}  // namespace
