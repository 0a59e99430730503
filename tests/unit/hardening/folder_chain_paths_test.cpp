// The folder chain on folders a user may type that the file system would not keep as
// written, or could not hold: each is refused before anything is made (so the main window
// shows message 135 and nothing is left behind), and the journal stays empty.
#include <gtest/gtest.h>

#include "HardeningSupport.h"
#include "engine/FolderChain.h"
#include "engine/InstallJournal.h"

namespace {

struct PathCase {
    const char* why;
    std::wstring relative;  // below the scratch folder
};

const PathCase kRefused[] = {
    {"trailing dot", L"inst."},
    {"trailing dots", L"inst..."},
    {"trailing blank", L"inst "},
    {"trailing dot in the middle", L"a.\\inst"},
    {"trailing blank in the middle", L"a \\inst"},
    {"device name", L"con"},
    {"device name, upper case, deeper", L"x\\CON\\y"},
    {"NUL", L"nul"},
    {"device name with an extension", L"Com1.txt"},
    {"device name with blanks before the extension", L"aux .log"},
    {"printer port", L"x\\lpt9"},
    {"console input", L"conin$"},
    {"superscript port number", L"com\u00B9"},
    {"parent level", L"a\\..\\..\\escape"},
    {"current level", L"a\\.\\b"},
    {"stream name", L"a\\inst:stream"},
    {"a bar", L"Mail\\Vex|mora"},
    {"wildcards", L"Mail\\Vex*mora?"},
    {"angle brackets and quotes", L"Mail\\<\"Vex\">"},
    {"a control character", L"Mail\\Vex\x01mora"},
};

void PrintTo(const PathCase& c, std::ostream* out) { *out << c.why; }

class FolderChainRefuses : public ::testing::TestWithParam<PathCase> {};

}  // namespace

TEST_P(FolderChainRefuses, BeforeMakingAnyLevel) {
    TempFolder scratch(L"chain");
    InstallJournal journal;
    journal.open(scratch / L"journal");
    ASSERT_TRUE(journal.isOpen());
    EXPECT_FALSE(CreateFolderChain(scratch / GetParam().relative, &journal)) << GetParam().why;
    EXPECT_EQ(scratch.listing(), std::vector<std::wstring>{L"journal"}) << GetParam().why;
    EXPECT_EQ(ReadAllBytes(scratch / L"journal"), "");
}

INSTANTIATE_TEST_SUITE_P(Names, FolderChainRefuses, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// Names that only look like the refused ones are ordinary folders.
TEST(FolderChainKeeps, NamesThatMerelyResembleDevicesOrDots) {
    TempFolder scratch(L"alike");
    for (const wchar_t* name : {L"console", L"nul2", L"COM10", L"lpt", L"a.b", L"x .y", L".hidden", L"中文.d"}) {
        EXPECT_TRUE(CreateFolderChain(scratch / name, nullptr)) << Narrow(name);
        EXPECT_TRUE(PathExists(scratch / name)) << Narrow(name);
    }
}

// 247 characters is the longest folder CreateDirectoryW takes; one more is refused up
// front, where the file system might have made some levels and then stopped.
TEST(FolderChainLength, LongestFolderIsMadeOneMoreIsRefused) {
    TempFolder scratch(L"len");
    const auto padded = [&](size_t length) {
        std::wstring path = scratch.path() + L"\\";
        while (path.size() < length) path += (path.size() % 50 == 0) ? L'\\' : L'x';
        if (path.back() == L'\\') path.back() = L'y';
        return path;
    };
    const std::wstring longest = padded(247), tooLong = padded(248);
    ASSERT_EQ(longest.size(), 247u);
    EXPECT_FALSE(CreateFolderChain(tooLong, nullptr));
    EXPECT_EQ(scratch.listing(), std::vector<std::wstring>{});
    EXPECT_TRUE(CreateFolderChain(longest, nullptr));
    EXPECT_TRUE(PathExists(longest));
    EXPECT_TRUE(CreateFolderChain(longest + L"\\", nullptr)) << "a trailing backslash does not count";
}

// A drive letter that names no drive: the first level fails, nothing is recorded.
TEST(FolderChainDrive, MissingDriveFails) {
    const DWORD drives = ::GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t c = L'Z'; c >= L'D' && !letter; --c) {
        if (!(drives & (1u << (c - L'A')))) letter = c;
    }
    ASSERT_NE(letter, 0);
    TempFolder scratch(L"drive");
    InstallJournal journal;
    journal.open(scratch / L"journal");
    EXPECT_FALSE(CreateFolderChain(std::wstring(1, letter) + L":\\Program Files\\Vexmora", &journal));
    EXPECT_EQ(ReadAllBytes(scratch / L"journal"), "");
}
