#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <cstring>
#include "base/Handles.h"
#include "base/PageBuffer.h"
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

// Giving pages back lowers what the process holds in memory (Wine remaps the range), and
// the bytes above them stay as they were.
TEST(PageBuffer, GivingPagesBackLowersTheResidentSize) {
    const auto resident = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
        return static_cast<size_t>(counters.WorkingSetSize);
    };
    constexpr size_t kMiB = size_t{1} << 20;
    PageBuffer buffer(16 * kMiB + 100);
    ASSERT_NE(nullptr, buffer.data());
    const size_t before = resident();
    std::memset(buffer.data(), 0x5A, buffer.size());
    const size_t touched = resident();
    EXPECT_GE(touched, before + 15 * kMiB);

    EXPECT_EQ(12 * kMiB, buffer.giveBackBelow(12 * kMiB + PageBuffer::PageSize() - 1));
    EXPECT_EQ(12 * kMiB, buffer.giveBackBelow(kMiB));  // what is given back stays so
    EXPECT_LE(resident(), touched - 11 * kMiB);
    EXPECT_EQ(0x5A, buffer.data()[12 * kMiB]);
    EXPECT_EQ(0x5A, buffer.data()[buffer.size() - 1]);
}
