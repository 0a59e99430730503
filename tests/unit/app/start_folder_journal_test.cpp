#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/InstallManager.h"
#include "engine/Extraction.h"
#include "engine/FolderChain.h"
#include "engine/InstallRun.h"
#include "journal/JournalDecrypt.h"
#include "journal/JournalRecord.h"
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

}  // namespace

// The window makes the install folder before the run's journal exists; the levels it made
// must still reach the journal, or the uninstaller could never remove them.
TEST(StartFolder, LevelsMadeBeforeTheRunAreJournalledFirstAndOnce) {
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
    EXPECT_EQ(journal::FolderRecord(outer) + journal::FolderRecord(outer + L"\\Vexmora") +
                  journal::FolderRecord(folder),
              ReadFile(folder + L"\\uninstall"));

    // A second start into the same folder (after a failed run) journals no folder again,
    // and the first run's records are carried forward, not replaced.
    RunWithoutPayload(manager, window);
    EXPECT_EQ("", ReadFile(folder + L"\\uninstall"));
    manager.State().journal.reset();
    std::string carried;
    ASSERT_TRUE(DecryptJournalFile(std::filesystem::path(folder + L"\\uninstallE"), carried));
    EXPECT_EQ(journal::FolderRecord(outer) + journal::FolderRecord(outer + L"\\Vexmora") +
                  journal::FolderRecord(folder),
              carried);
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
    EXPECT_EQ(journal::FolderRecord(folder), ReadFile(folder + L"\\uninstall"));
    manager.State().journal.reset();
    ::DestroyWindow(window);
}

TEST(StartFolder, ChainLevelsSkipDriveRootsAndTrailingSeparators) {
    const std::vector<std::wstring> expected = {L"C:\\A", L"C:\\A\\B"};
    EXPECT_EQ(expected, FolderChainLevels(L"C:\\A\\B"));
    EXPECT_EQ(expected, FolderChainLevels(L"C:\\A\\B\\"));
    EXPECT_TRUE(FolderChainLevels(L"C:\\").empty());
}
