// An earlier installation as the setup meets it: the folders its journal names (both
// journal files), and what is left of it after its uninstaller ran when the new install
// goes to another folder.
#include <gtest/gtest.h>

#include <fstream>

#include "app/EarlierInstall.h"
#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
#include "scratch.h"

namespace {

void Write(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

TEST(EarlierInstall, FoldersOfBothJournalFilesInOrder) {
    ScratchFolder scratch(L"earlierjournal");
    const std::wstring plain = scratch / L"uninstall";
    ASSERT_TRUE(WriteEncryptedJournal(CipherJournalPath(plain),
                                      journal::FolderRecord(L"C:\\A") + journal::FileRecord(L"C:\\A\\f") +
                                          journal::FolderRecord(L"C:\\A\\B")));
    Write(plain, journal::FolderRecord(L"C:\\A\\B") + journal::FolderRecord(L"C:\\A\\\u90ae\u7bb1"));
    EXPECT_EQ(FoldersOfEarlierJournal(scratch.path()),
              (std::vector<std::wstring>{L"C:\\A", L"C:\\A\\B", L"C:\\A\\\u90ae\u7bb1"}));
    EXPECT_TRUE(FoldersOfEarlierJournal(scratch / L"none").empty());
}

// The earlier install folder and the levels above it that its journal names go where
// empty, with the uninstaller's note; the new install's levels, and folders elsewhere,
// stay.
TEST(EarlierInstall, ChainRemovedWhereEmptyTheNewPathKept) {
    ScratchFolder scratch(L"earlierchain");
    const std::wstring top = scratch / L"Program Files", vexmora = top + L"\\Vexmora";
    const std::wstring old = vexmora + L"\\Old", data = old + L"\\data", fresh = vexmora + L"\\New";
    const std::wstring elsewhere = scratch / L"Menu";
    for (const std::wstring& folder : {top, vexmora, old, data, fresh, elsewhere})
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << U8(folder);
    Write(old + L"\\uninstall-ran.txt", "ran:  true\r\n");
    const std::vector<std::wstring> named = {top, vexmora, old, data, elsewhere};

    RemoveEarlierFolderChain(old, named, old);  // the same folder: nothing to clear
    EXPECT_TRUE(Exists(old + L"\\uninstall-ran.txt"));

    RemoveEarlierFolderChain(old, named, fresh);
    EXPECT_FALSE(Exists(old));
    EXPECT_TRUE(IsFolder(fresh));
    EXPECT_TRUE(IsFolder(vexmora));
    EXPECT_TRUE(IsFolder(elsewhere));
}

TEST(EarlierInstall, RecordedFolderInTheInstallSpellingOrAsRecorded) {
    EXPECT_EQ(EarlierFolderSpelling(L"d:/Apps/Mail\\"), L"D:\\Apps\\Mail");
    EXPECT_EQ(EarlierFolderSpelling(L"D:\\Vexmora."), L"D:\\Vexmora.");
    EXPECT_EQ(EarlierFolderSpelling(L"E:\\"), L"E:\\");
}

}  // namespace
