#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "engine/FolderChain.h"
#include "engine/InstallJournal.h"
#include "journal/JournalRecord.h"
#include "scratch.h"

namespace {

struct ChainCase {
    const char* name;
    std::vector<std::wstring> folders;  // made before the call, relative to the scratch folder
    std::vector<std::wstring> files;
    std::wstring path;                  // relative to the scratch folder
    bool result;
    std::vector<std::wstring> created;  // folders the call makes, in order (so journalled)
    std::vector<std::wstring> absent;   // must not exist afterwards
};

const ChainCase kChainCases[] = {
    {"nested levels are made outermost first", {L"A"}, {}, L"A\\B\\C", true, {L"A\\B", L"A\\B\\C"}, {}},
    {"an existing path records nothing", {L"A", L"A\\B"}, {}, L"A\\B", true, {}, {}},
    {"a trailing backslash makes the last level by its prefix", {}, {}, L"A\\B\\", true, {L"A", L"A\\B"}, {}},
    {"names outside the ANSI code page", {}, {}, L"中文\\邮箱", true, {L"中文", L"中文\\邮箱"}, {}},
    {"a file in the middle stops the chain", {}, {L"F"}, L"F\\X\\Y", false, {}, {L"F\\X"}},
    {"a file at the end counts as existing", {}, {L"F"}, L"F", true, {}, {}},
    {"a name no file may have is refused before any level", {}, {}, L"A\\B|C\\D", false, {}, {L"A"}},
};

class FolderChain : public ::testing::TestWithParam<ChainCase> {};

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_P(FolderChain, CreatesAndJournalsExactlyTheMissingLevels) {
    const ChainCase& c = GetParam();
    ScratchFolder scratch(L"fxchain");
    for (const auto& folder : c.folders) ASSERT_TRUE(::CreateDirectoryW((scratch / folder).c_str(), nullptr));
    for (const auto& file : c.files) std::ofstream(std::filesystem::path(scratch / file)) << "x";

    std::string expectedJournal;
    {
        InstallJournal journal;
        journal.open(scratch / L"journal");
        ASSERT_TRUE(journal.isOpen());
        EXPECT_EQ(c.result, CreateFolderChain(scratch / c.path, &journal));
        for (const auto& folder : c.created) {
            EXPECT_TRUE(IsFolder(scratch / folder)) << U8(folder);
            expectedJournal += journal::FolderRecord(scratch / folder);
        }
        EXPECT_EQ(expectedJournal, ReadAll(scratch / L"journal"));
    }
    for (const auto& folder : c.absent) EXPECT_FALSE(Exists(scratch / folder));
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderChain, ::testing::ValuesIn(kChainCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// Only "X:\..." is a place to install to: anything else fails before touching the disk.
TEST(FolderChainRefuses, PathsThatAreNotAbsoluteAndLocal) {
    ScratchFolder scratch(L"fxrel");
    ASSERT_TRUE(::SetCurrentDirectoryW(scratch.path().c_str()));
    for (const wchar_t* path : {L"rel\\sub", L"rel", L"\\rel\\sub", L"C:rel\\sub", L"\\\\server\\share\\rel",
                                L"\\\\?\\C:\\rel", L"C:/rel/sub", L""}) {
        EXPECT_FALSE(CreateFolderChain(path, nullptr)) << U8(path);
    }
    EXPECT_FALSE(Exists(scratch / L"rel"));
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    ::SetCurrentDirectoryW(temp);
}

TEST(FolderChainAccepts, ADriveRootAndALowerCaseDriveLetter) {
    EXPECT_TRUE(CreateFolderChain(L"C:\\", nullptr));
    ScratchFolder scratch(L"fxlower");
    std::wstring lower = scratch / L"X";
    lower[0] = static_cast<wchar_t>(towlower(lower[0]));
    EXPECT_TRUE(CreateFolderChain(lower, nullptr));
    EXPECT_TRUE(IsFolder(scratch / L"X"));
}

TEST(FolderChainJournal, AClosedJournalRecordsNothing) {
    ScratchFolder scratch(L"fxclosed");
    InstallJournal never;  // never opened
    EXPECT_TRUE(CreateFolderChain(scratch / L"A\\B", &never));
    EXPECT_TRUE(IsFolder(scratch / L"A\\B"));
}
