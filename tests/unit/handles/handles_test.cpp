#include <gtest/gtest.h>
#include "base/Handles.h"
#include "ui/UIString.h"

TEST(UniqueHandle, ClosingKeepsTheLastError) {
    UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    ::SetLastError(ERROR_ACCESS_DENIED);
    event.reset();
    EXPECT_EQ(ERROR_ACCESS_DENIED, ::GetLastError());
    EXPECT_FALSE(event);
}

TEST(UniqueHandle, FileFailureValueCountsAsEmpty) {
    UniqueFile file(::CreateFileW(L"Q:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(file);
}

TEST(CUIString, ReplaceResumesAfterTheInsertedText) {
    CUIString s(L"{a}-{a}");
    EXPECT_EQ(2, s.Replace(L"{a}", L"x{a}"));
    EXPECT_EQ(L"x{a}-x{a}", s);
}
