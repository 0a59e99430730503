// The decoder's input stream over memory, and entry names made into target paths.
#include <gtest/gtest.h>

#include <cstring>
#include "engine/ExtractionNames.h"
#include "engine/MemoryInStream.h"

namespace {

const Byte kData[10] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};

MemoryInStream StreamAt(UInt32 position) {
    MemoryInStream stream;
    MemoryInStream_Init(&stream, kData, sizeof kData);
    stream.position = position;
    return stream;
}

TEST(MemoryInStream, ReadCopiesWhatIsLeftAndFailsOnlyAtTheEnd) {
    struct Case { UInt32 at; size_t ask; SRes result; size_t got; UInt32 after; };
    const Case cases[] = {
        {0, 4, SZ_OK, 4, 4},
        {8, 4, SZ_OK, 2, 10},           // short read: what is left
        {3, 0, SZ_OK, 0, 3},
        {10, 4, SZ_ERROR_READ, 4, 10},  // at the end: fails, size left as asked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at << " ask " << c.ask);
        MemoryInStream stream = StreamAt(c.at);
        Byte buffer[16] = {};
        size_t size = c.ask;
        EXPECT_EQ(stream.vt.Read(&stream.vt, buffer, &size), c.result);
        EXPECT_EQ(size, c.got);
        EXPECT_EQ(stream.position, c.after);
        if (c.result == SZ_OK) {
            EXPECT_EQ(std::memcmp(buffer, kData + c.at, c.got), 0);
        }
    }
}

TEST(MemoryInStream, SeekUsesUnsigned32BitArithmeticCappedAtTheSize) {
    struct Case { UInt32 at; Int64 offset; int origin; UInt32 after; };
    const Case cases[] = {
        {3, 5, SZ_SEEK_SET, 5},
        {3, 50, SZ_SEEK_SET, 10},
        {3, 0x100000002LL, SZ_SEEK_SET, 2},  // only the low 32 bits count
        {3, 4, SZ_SEEK_CUR, 7},
        {3, -1, SZ_SEEK_CUR, 2},
        {3, -5, SZ_SEEK_CUR, 10},            // wraps past zero, then capped
        {3, 100, SZ_SEEK_CUR, 10},
        {3, 0, SZ_SEEK_END, 10},
        {3, -4, SZ_SEEK_END, 6},             // back from the end
        {3, -20, SZ_SEEK_END, 10},
        {3, 1, SZ_SEEK_END, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at << " offset " << c.offset << " origin " << c.origin);
        MemoryInStream stream = StreamAt(c.at);
        Int64 offset = c.offset;
        EXPECT_EQ(stream.vt.Seek(&stream.vt, &offset, static_cast<ESzSeek>(c.origin)), SZ_OK);
        EXPECT_EQ(stream.position, c.after);
        EXPECT_EQ(offset, static_cast<Int64>(c.after));
    }
}

TEST(MemoryInStream, SeekWithAnUnknownOriginFailsAndChangesNothing) {
    MemoryInStream stream = StreamAt(3);
    Int64 offset = 1;
    EXPECT_EQ(stream.vt.Seek(&stream.vt, &offset, static_cast<ESzSeek>(3)), 87);
    EXPECT_EQ(stream.position, 3u);
    EXPECT_EQ(offset, 1);
}

TEST(ExtractionNames, NamesThatCouldLeaveTheFolderAreUnsafe) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"a/b/c.txt", true},  {L"中文/文件.txt", true}, {L"..x/y", true},   {L"x../y", true},
        {L"a/./b", true},      {L"", true},              {L"../x", false},   {L"a/../x", false},
        {L"a\\..\\x", false},  {L"a/..", false},         {L"/x", false},     {L"\\x", false},
        {L"C:/x", false},      {L"C:x", false},          {L"a.txt:stream", false},
        {L".../x", false},     {L".. /x", false},        {L"a/. ./x", false},
    };
    for (const auto& [name, safe] : cases) EXPECT_EQ(IsSafeEntryName(name), safe) << testing::PrintToString(std::wstring(name));
}

TEST(ExtractionNames, TargetPathJoinsWithOneBackslashAndConvertsOnlyTheName) {
    EXPECT_EQ(EntryTargetPath(L"C:\\f", L"a/b/c.txt"), L"C:\\f\\a\\b\\c.txt");
    EXPECT_EQ(EntryTargetPath(L"C:\\f\\", L"a"), L"C:\\f\\\\a");  // a trailing backslash doubles
    EXPECT_EQ(EntryTargetPath(L"C:/f", L"a/b"), L"C:/f\\a\\b");   // the folder is used as stored
    EXPECT_EQ(ParentFolder(L"C:\\f\\a\\b.txt"), L"C:\\f\\a");
    EXPECT_EQ(ParentFolder(L"C:\\f\\\\a"), L"C:\\f\\");
}

}  // namespace
