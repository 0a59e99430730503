#include <gtest/gtest.h>

#include "app/InstallManager.h"
#include "engine/ResStrings.h"

namespace {
HINSTANCE Self() { return ::GetModuleHandleW(nullptr); }
}

TEST(LoadResString, PresentEntryOrFallback) {
    EXPECT_EQ(L"VexmoraZevlo邮箱", LoadResString(Self(), 130, L"VexmoraFM"));
    EXPECT_EQ(L"VexmoraFM", LoadResString(Self(), 131, L"VexmoraFM"));
    EXPECT_EQ(L"", LoadResString(Self(), 131, nullptr));
}

TEST(LoadResString, AnOverLongEntryIsCutTo1022Characters) {
    const CUIString text = LoadResString(Self(), 900, L"fallback");
    ASSERT_EQ(1022u, text.size());
    for (size_t i = 0; i < text.size(); ++i) ASSERT_EQ(static_cast<wchar_t>(L'a' + i % 26), text[i]) << i;
}

TEST(FormatText, ReplacesEveryPlaceholderInTheEntryOrTheFallback) {
    EXPECT_EQ(L"创建目录 D:\\x 失败！D:\\x", FormatText(Self(), 136, L"Create {folder} error!", L"{folder}", L"D:\\x"));
    EXPECT_EQ(L"Fail to write C:\\{file}",
              FormatText(Self(), 142, L"Fail to write {file}", L"{file}", L"C:\\{file}"));
}

TEST(FormatText, FillsSeveralPlaceholdersWithoutReadingTheValuesAgain) {
    EXPECT_EQ(L"need 5.3 MB of 1.0 MB, 5.3 again",
              FormatText(Self(), 131, L"need {need} MB of {free} MB, {need} again",
                         {{L"{need}", L"5.3"}, {L"{free}", L"1.0"}}));
    // A value holding a placeholder stays as it is; an empty placeholder matches nothing.
    EXPECT_EQ(L"{free} / 2", FormatText(Self(), 131, L"{need} / {free}", {{L"{need}", L"{free}"}, {L"{free}", L"2"}, {L"", L"x"}}));
    EXPECT_EQ(L"创建目录 D:\\x 失败！D:\\x", FormatText(Self(), 136, L"", {{L"{folder}", L"D:\\x"}}));
}

TEST(InstallManagerStrings, LoadFromTheManagersInstance) {
    Install_CIM manager(Self());
    EXPECT_EQ(L"VexmoraZevlo邮箱", manager.LoadResString(130, L"VexmoraFM"));
    EXPECT_EQ(L"VexmoraFM", manager.LoadResString(129, L"VexmoraFM"));
}
