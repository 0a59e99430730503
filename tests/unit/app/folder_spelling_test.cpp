// The install folder's one spelling: a table of the ways people type or pick a folder,
// each giving the same text, and the refusals; then the part only the file system knows
// (the long form of the levels that exist).
#include <gtest/gtest.h>

#include "base/pure/FolderSpelling.h"
#include "engine/InstallFolder.h"
#include "scratch.h"

namespace {

struct SpellingCase {
    const wchar_t* typed;
    const wchar_t* spelled;  // null: refused
    FolderRefusal refusal;
};

const SpellingCase kSpellings[] = {
    {L"D:\\Apps\\Mail", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:\\Apps\\Mail\\", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:\\Apps\\Mail\\\\", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:/Apps/Mail", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:/Apps\\Mail/", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:\\Apps\\.\\Mail", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:\\.\\Apps\\Mail\\.", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:\\\\Apps\\\\\\Mail", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"d:\\Apps\\Mail", L"D:\\Apps\\Mail", FolderRefusal::None},
    {L"D:\\Program Files (x86)\\Vexmora\\VexmoraZevlo\u90ae\u7bb1",
     L"D:\\Program Files (x86)\\Vexmora\\VexmoraZevlo\u90ae\u7bb1", FolderRefusal::None},
    // Left as written for the folder chain to refuse: the file system would not keep them.
    {L"D:\\Apps\\..\\Mail", L"D:\\Apps\\..\\Mail", FolderRefusal::None},
    {L"D:\\Apps.\\Mail ", L"D:\\Apps.\\Mail ", FolderRefusal::None},
    {L"E:\\", nullptr, FolderRefusal::DriveRoot},
    {L"E:", nullptr, FolderRefusal::DriveRoot},
    {L"e:/", nullptr, FolderRefusal::DriveRoot},
    {L"E:\\.\\\\", nullptr, FolderRefusal::DriveRoot},
    {L"D:\\Mail\\Vex|mora", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"D:\\Mail<", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"D:\\Mail>", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"D:\\\"Mail\"", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"D:\\Mail?", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"D:\\Mail*", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"D:\\Mail\tx", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"D:\\Mail\x1f", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"\\\\?\\D:\\Mail", nullptr, FolderRefusal::ForbiddenCharacter},
    {L"Apps\\Mail", nullptr, FolderRefusal::NotLocal},
    {L"\\Apps\\Mail", nullptr, FolderRefusal::NotLocal},
    {L"D:Apps\\Mail", nullptr, FolderRefusal::NotLocal},
    {L"\\\\server\\share\\Mail", nullptr, FolderRefusal::NotLocal},
    {L"1:\\Mail", nullptr, FolderRefusal::NotLocal},
    {L"", nullptr, FolderRefusal::NotLocal},
};

void PrintTo(const SpellingCase& c, std::ostream* out) { *out << U8(c.typed); }

class FolderSpellingTable : public ::testing::TestWithParam<SpellingCase> {};

TEST_P(FolderSpellingTable, GivesOneSpellingOrARefusal) {
    const SpellingCase& c = GetParam();
    const FolderSpelling spelling = SpellFolderText(c.typed);
    EXPECT_EQ(spelling.refusal, c.refusal);
    EXPECT_EQ(spelling.folder, c.spelled ? c.spelled : c.typed);  // a refused folder stays as typed
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderSpellingTable, ::testing::ValuesIn(kSpellings),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

std::wstring LongForm(const std::wstring& path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetLongPathNameW(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : path;
}

std::wstring ShortForm(const std::wstring& path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : path;
}

// The levels that exist take the file system's long form; the rest stays as spelled.
TEST(InstallFolderSpelling, ExistingLevelsInLongFormTheRestAsSpelled) {
    ScratchFolder scratch(L"spelling");
    const std::wstring existing = scratch / L"Vexmora Mail";
    ASSERT_TRUE(::CreateDirectoryW(existing.c_str(), nullptr));
    const std::wstring shortName = ShortForm(existing);
    ASSERT_NE(shortName, existing) << "the file system gives no short name";
    const std::wstring expected = LongForm(existing) + L"\\New\\VexmoraZevlo\u90ae\u7bb1";

    for (const std::wstring& typed : {shortName + L"\\New\\VexmoraZevlo\u90ae\u7bb1\\",
                                      shortName + L"/New/./VexmoraZevlo\u90ae\u7bb1",
                                      existing + L"\\\\New\\VexmoraZevlo\u90ae\u7bb1"}) {
        const FolderSpelling spelling = NormaliseInstallFolder(typed);
        EXPECT_TRUE(spelling.accepted()) << U8(typed);
        EXPECT_EQ(U8(spelling.folder), U8(expected)) << U8(typed);
    }
    // An existing folder named in short form is the folder itself.
    EXPECT_EQ(U8(NormaliseInstallFolder(shortName).folder), U8(LongForm(existing)));
    // A name the file system would not keep as written is not mended here (the system would
    // drop the dot and find "Vexmora Mail"): the folder chain refuses it as it stands.
    EXPECT_EQ(U8(NormaliseInstallFolder(existing + L".\\New").folder), U8(existing + L".\\New"));
    EXPECT_EQ(NormaliseInstallFolder(L"C:\\").refusal, FolderRefusal::DriveRoot);
}

}  // namespace
