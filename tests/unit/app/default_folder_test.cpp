#include <gtest/gtest.h>

#include "app/DefaultFolder.h"

namespace {

constexpr unsigned kRemovable = 2, kFixed = 3, kRemote = 4, kOptical = 5, kRam = 6;
const wchar_t kProduct[] = L"VexmoraZevlo邮箱";

struct FolderCase {
    const wchar_t* systemDirectory;
    std::vector<DriveRoot> drives;
    const wchar_t* folder;
};

const FolderCase kFolderCases[] = {
    // a fixed drive other than the system drive is preferred, the first one listed
    {L"C:\\Windows\\system32", {{L"C:\\", kFixed}, {L"D:\\", kFixed}, {L"E:\\", kFixed}},
     L"D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"},
    // removable, optical, network and RAM drives are never chosen
    {L"C:\\Windows\\system32", {{L"C:\\", kFixed}, {L"D:\\", kRemovable}, {L"E:\\", kOptical}},
     L"C:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"},
    {L"C:\\Windows\\system32", {{L"A:\\", kRemovable}, {L"C:\\", kFixed}, {L"D:\\", kRemote}, {L"E:\\", kRam},
                                {L"F:\\", kFixed}},
     L"F:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"},
    // the system on D: makes C: the other fixed drive
    {L"D:\\Windows\\system32", {{L"C:\\", kFixed}, {L"D:\\", kFixed}},
     L"C:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"},
    // no drive list at all: the system drive
    {L"C:\\Windows\\system32", {}, L"C:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"},
    // the comparison with the system drive is exact, letter case included
    {L"c:\\windows\\system32", {{L"C:\\", kFixed}}, L"C:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"},
};

}  // namespace

TEST(ChooseDefaultFolder, Cases) {
    for (size_t i = 0; i < std::size(kFolderCases); ++i) {
        const FolderCase& c = kFolderCases[i];
        EXPECT_EQ(c.folder, ChooseDefaultFolder(c.systemDirectory, c.drives, kProduct)) << "case " << i;
    }
}

TEST(ChooseDefaultFolder, FallbackProductName) {
    EXPECT_EQ(L"D:\\Program Files\\Vexmora\\VexmoraFM",
              ChooseDefaultFolder(L"C:\\Windows", {{L"D:\\", kFixed}}, L"VexmoraFM"));
}

TEST(SystemDriveOf, TextUpToTheFirstBackslash) {
    EXPECT_EQ(L"C:\\", SystemDriveOf(L"C:\\Windows\\system32"));
    EXPECT_EQ(L"D:\\", SystemDriveOf(L"D:\\"));
    EXPECT_EQ(L"", SystemDriveOf(L""));
}

TEST(SplitDriveList, RootsInOrder) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ((V{L"C:\\", L"D:\\", L"Z:\\"}), SplitDriveList(std::wstring_view(L"C:\\\0D:\\\0Z:\\\0\0", 13)));
    EXPECT_EQ(V{}, SplitDriveList(std::wstring_view(L"\0\0", 2)));
    EXPECT_EQ(V{}, SplitDriveList(L""));
    EXPECT_EQ(V{L"C:\\"}, SplitDriveList(L"C:\\"));  // unterminated
}
