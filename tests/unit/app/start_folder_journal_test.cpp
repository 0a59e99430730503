#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "app/InstallManager.h"
#include "engine/Extraction.h"
#include "engine/FolderChain.h"
#include "engine/InstallRun.h"
#include "journal/JournalRecord.h"
#include "journal/JournalText.h"
#include "journal/RunTransaction.h"
#include "scratch.h"

namespace {

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A run whose payload cannot be had: it opens its journal and ends at once.
void RunWithoutPayload(Install_CIM& manager, HWND window) {
    ExtractionHooks hooks;
    hooks.payload = []() -> PayloadBytes { throw CUIString(L"no payload"); };
    hooks.prompt = [](const CUIString&) { return FailureAnswer::Abort; };
    hooks.pump = [] {};
    StartInstall(manager.State(), window, hooks);
}

// The folder records of the run in `folder`'s journal, in order, after its begin record.
std::vector<std::wstring> RunFolders(const std::wstring& folder) {
    const journal::RunSplit split = journal::SplitAtRun(ReadFile(folder + L"\\uninstall"));
    EXPECT_TRUE(split.pending);
    return journal::FolderRecordPaths(split.run);
}

}  // namespace

// The window makes the install folder before the run's journal exists; the levels it made
// are the run's first records after its begin, once each, so that taking the run back
// removes them too (and the uninstaller, once it is an installation).
TEST(StartFolder, LevelsMadeBeforeTheRunAreItsFirstRecordsAndGoWithIt) {
    ScratchFolder scratch(L"startfolder");
    const std::wstring outer = scratch / L"Program Files";
    const std::wstring folder = outer + L"\\Vexmora\\VexmoraZevlo邮箱";
    Install_CIM manager(::GetModuleHandleW(nullptr));
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);

    ASSERT_TRUE(manager.CreateFolderChain(folder + L"\\"));
    ASSERT_TRUE(manager.CreateFolderChain(folder));  // an existing chain adds nothing
    manager.SetInstallPath(folder);
    RunWithoutPayload(manager, window);
    EXPECT_EQ((std::vector<std::wstring>{outer, outer + L"\\Vexmora", folder}), RunFolders(folder));
    EXPECT_TRUE(ReadFile(folder + L"\\uninstall").rfind(journal::BeginRecord(folder), 0) == 0);

    EXPECT_TRUE(manager.RollBackUnfinishedRun().complete);
    EXPECT_FALSE(Exists(outer));
    ::DestroyWindow(window);
}

// A start refused for its folder leaves nothing, and nothing of it reaches the journal of
// the start that follows.
TEST(StartFolder, ARefusedChainIsNeitherLeftNorCarried) {
    ScratchFolder scratch(L"startrefused");
    Install_CIM manager(::GetModuleHandleW(nullptr));
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);

    EXPECT_FALSE(manager.CreateFolderChain(scratch / L"Mail\\Vex|mora"));
    EXPECT_FALSE(Exists(scratch / L"Mail"));
    const std::wstring folder = scratch / L"Other";
    ASSERT_TRUE(manager.CreateFolderChain(folder));
    manager.SetInstallPath(folder);
    RunWithoutPayload(manager, window);
    EXPECT_EQ(std::vector<std::wstring>{folder}, RunFolders(folder));
    EXPECT_TRUE(manager.RollBackUnfinishedRun().complete);
    ::DestroyWindow(window);
}

TEST(StartFolder, ChainLevelsSkipDriveRootsAndTrailingSeparators) {
    const std::vector<std::wstring> expected = {L"C:\\A", L"C:\\A\\B"};
    EXPECT_EQ(expected, FolderChainLevels(L"C:\\A\\B"));
    EXPECT_EQ(expected, FolderChainLevels(L"C:\\A\\B\\"));
    EXPECT_TRUE(FolderChainLevels(L"C:\\").empty());
}
