// Every check that cannot answer refuses. The checked-handle routine (base/CheckedFile.h)
// and its users, when the place a file must lead to, or the place the handle leads to,
// cannot be read; the install room, when the volume's free space cannot be read. This
// Wine always says where a handle leads and how much room a volume has, so those two
// answers are taken away through their seams (SetFinalPathCall, SetVolumeSpaceReader);
// an expected place that cannot be read is a real case (a folder that is not there).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>

#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "base/FinalPath.h"
#include "engine/InstallRoom.h"
#include "scratch.h"

namespace {

DWORD WINAPI NoFinalPath(HANDLE, LPWSTR, DWORD, DWORD) {
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

// For the length of a scope, FinalPathOf cannot answer.
struct FinalPathUnreadable {
    FinalPathUnreadable() : before(SetFinalPathCall(NoFinalPath)) {}
    ~FinalPathUnreadable() { SetFinalPathCall(before); }
    FinalPathCall before;
};

std::string Content(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::wstring& path, const char* text) { std::ofstream(std::filesystem::path(path)) << text; }

// What each checked operation did to "old.txt" (there, holding "old") and "new.txt" (not
// there) in `folder`, with the expected places given by `expected`. A payload file that
// replaces another is written new and moved into place, the old one moved aside: the
// writes and the move below are those steps.
struct Outcomes {
    bool opened = false, created = false, written = false, madeNew = false, deleted = false, moved = false;
    bool operator==(const Outcomes&) const = default;
};
void PrintTo(const Outcomes& o, std::ostream* out) {
    *out << "opened " << o.opened << ", created " << o.created << ", written " << o.written << ", made new "
         << o.madeNew << ", deleted " << o.deleted << ", moved " << o.moved;
}

Outcomes TryEveryOperation(const std::wstring& folder, const std::function<std::wstring(const std::wstring&)>& expected) {
    const std::wstring old = folder + L"\\old.txt", fresh = folder + L"\\new.txt";
    Write(old, "old");
    ::DeleteFileW(fresh.c_str());
    Outcomes out;
    out.opened = OpenCheckedFile(old, expected(old), GENERIC_READ, FILE_SHARE_READ, CheckedOpen::Existing).status ==
                 CheckedFile::Status::Opened;
    out.created = OpenCheckedFile(fresh, expected(fresh), GENERIC_WRITE, FILE_SHARE_READ, CheckedOpen::Always)
                      .status == CheckedFile::Status::Opened;
    out.created = out.created && Exists(fresh);
    ::DeleteFileW(fresh.c_str());
    out.written = WriteEntryFile(fresh, expected(fresh), "payload", 7, [] { return true; }) == WriteOutcome::Written;
    out.written = out.written && Content(fresh) == "payload";
    ::DeleteFileW(fresh.c_str());
    out.madeNew = WriteNewCheckedFile(fresh, expected(fresh), "draft", 5) && Exists(fresh);
    ::DeleteFileW(fresh.c_str());
    out.moved = MoveCheckedFile(old, expected(old), fresh, expected(fresh)) && Exists(fresh);
    if (out.moved) ::MoveFileW(fresh.c_str(), old.c_str());
    out.deleted = DeleteCheckedFile(old, expected(old)) && !Exists(old);
    return out;
}

}  // namespace

TEST(FailClosed, TheCheckedHandleRoutineRefusesWhenItCannotTellWhereAFileLeads) {
    ScratchFolder scratch(L"failclosed");
    const auto right = [](const std::wstring& path) { return ExpectedFinalPath(path); };
    const auto none = [](const std::wstring&) { return std::wstring(); };
    const Outcomes all{true, true, true, true, true, true}, nothing{};
    struct Row {
        const char* why;
        std::function<std::wstring(const std::wstring&)> expected;
        bool finalPathReadable;
        Outcomes outcome;
    };
    const Row rows[] = {
        {"where the file must lead is known, and where it leads", right, true, all},
        {"where the file must lead cannot be read", none, true, nothing},
        {"where the handle leads cannot be read", right, false, nothing},
    };
    for (const Row& row : rows) {
        std::optional<FinalPathUnreadable> unreadable;
        if (!row.finalPathReadable) unreadable.emplace();
        EXPECT_EQ(row.outcome, TryEveryOperation(scratch.path(), row.expected)) << row.why;
        unreadable.reset();
        EXPECT_TRUE(Exists(scratch / L"old.txt") != row.outcome.deleted) << row.why;
        if (!row.outcome.deleted) {
            EXPECT_EQ("old", Content(scratch / L"old.txt")) << row.why;
        }
        EXPECT_FALSE(Exists(scratch / L"new.txt")) << row.why << ": a file made in a place not meant stays";
    }
    // A folder that is not there has no place to read: nothing is expected of it.
    EXPECT_EQ(L"", ExpectedFinalPath(scratch / L"missing\\new.txt"));
    EXPECT_EQ(L"", ExpectedFinalPath(L"new.txt"));
}

namespace {

VolumeSpace Unreadable(const std::wstring&) { return {}; }
VolumeSpace TenMegabytes(const std::wstring&) { return {true, 4096, 10u << 20}; }
VolumeSpace OneMegabyte(const std::wstring&) { return {true, 4096, 1u << 20}; }

}  // namespace

TEST(FailClosed, AnInstallRoomThatCannotBeMeasuredIsNeverEnough) {
    ScratchFolder scratch(L"failroom");
    PayloadFootprint payload;
    payload.fileBytes = {3u << 20};
    struct Row {
        const char* why;
        std::wstring folder;
        VolumeSpaceReader reader;
        RoomVerdict verdict;
    };
    const Row rows[] = {
        {"the volume answers, with room", scratch / L"Vexmora\\邮箱", TenMegabytes, RoomVerdict::Enough},
        {"the volume answers, too small", scratch / L"Vexmora\\邮箱", OneMegabyte, RoomVerdict::TooLittle},
        {"the volume cannot be read", scratch / L"Vexmora\\邮箱", Unreadable, RoomVerdict::Unknown},
        {"no level of the folder exists", L"Q:\\Vexmora\\邮箱", TenMegabytes, RoomVerdict::NoDrive},
    };
    for (const Row& row : rows) {
        const VolumeSpaceReader before = SetVolumeSpaceReader(row.reader);
        const InstallRoom room = MeasureInstallRoom(row.folder, payload);
        SetVolumeSpaceReader(before);
        EXPECT_EQ(static_cast<int>(row.verdict), static_cast<int>(room.verdict())) << row.why;
        EXPECT_GE(room.needed, 3u << 20) << row.why;
    }
}
