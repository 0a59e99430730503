// The restart's list of file operations: read, filtered for the paths an install writes,
// and written back. Built under Wine and natively with the sanitizers.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "base/pure/PendingRenames.h"

namespace {

using namespace std::string_literals;

TEST(PendingRenames, TheInstallsPathsLeaveTheListTheRestStays) {
    // A deletion of the new installation's file, a rename onto it (with the "replace"
    // mark), a rename of another program's and a deletion elsewhere.
    const std::wstring value =
        L"\\??\\D:\\Mail\\a.exe\0\0"
        L"\\??\\C:\\tmp\\x\0!\\??\\D:\\Mail\\b.dll\0"
        L"\\??\\C:\\other\\old\0\\??\\C:\\other\\new\0"
        L"\\??\\C:\\tmp\\gone\0\0"
        L"\0"s;
    const std::vector<PendingRename> renames = ParsePendingRenames(value);
    ASSERT_EQ(renames.size(), 4u);
    EXPECT_EQ(renames[0].target, L"");
    EXPECT_EQ(PendingRenamePath(renames[1].target), L"D:\\Mail\\b.dll");

    const auto ours = [](std::wstring_view path) { return path.rfind(L"D:\\Mail\\", 0) == 0; };
    const std::vector<PendingRename> kept = WithoutPendingRenames(renames, ours);
    EXPECT_EQ(PendingRenamesValue(kept),
              L"\\??\\C:\\other\\old\0\\??\\C:\\other\\new\0\\??\\C:\\tmp\\gone\0\0\0"s);
    EXPECT_EQ(PendingRenamesValue(WithoutPendingRenames(renames, [](std::wstring_view) { return true; })), L"");
}

TEST(PendingRenames, AListCutShortKeepsItsWholePairs) {
    const struct {
        const char* name;
        std::wstring value;
        std::size_t pairs;
    } cases[] = {
        {"empty", L"", 0},
        {"only the closing NUL", L"\0"s, 0},
        {"a source without its target", L"\\??\\C:\\a\0"s, 0},
        {"a pair, then a cut source", L"\\??\\C:\\a\0\0\\??\\C:\\b"s, 1},
        {"no closing NUL", L"\\??\\C:\\a\0\0"s, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ParsePendingRenames(c.value).size(), c.pairs) << c.name;
}

}  // namespace
