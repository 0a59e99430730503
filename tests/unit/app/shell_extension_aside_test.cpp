// The earlier shell extension set aside in this process, before the first payload file:
// older "_bak" copies go first, each DLL is renamed to its "_bak" name, and each "_bak"
// file a rename made is journalled so that the uninstaller removes it too.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/InstallJournal.h"
#include "journal/JournalRecord.h"
#include "engine/ShellExtensionAside.h"
#include "scratch.h"

namespace {

const wchar_t* const kDll = L"QuillwireShell.dll";
const wchar_t* const kDll64 = L"QuillwireShell64.dll";
const wchar_t* const kBak = L"QuillwireShell_bak.dll";
const wchar_t* const kBak64 = L"QuillwireShell64_bak.dll";

std::string Read(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<none>");
}

void Write(const std::wstring& path, const std::string& text) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}

}  // namespace

TEST(SetShellExtensionAside, RenamesWhatIsThereAndJournalsEachBakItMakes) {
    struct Row {
        const char* why;
        std::vector<const wchar_t*> before;            // files present, each holding its own name
        std::vector<const wchar_t*> heldOpen;          // held without delete sharing
        std::vector<std::pair<const wchar_t*, const wchar_t*>> after;  // name, whose bytes it holds
        std::vector<const wchar_t*> journalled;
    };
    const Row rows[] = {
        {"both, an older _bak", {kDll, kDll64, kBak}, {}, {{kBak, kDll}, {kBak64, kDll64}}, {kBak, kBak64}},
        {"the 64-bit one only; the older _bak goes anyway", {kDll64, kBak}, {}, {{kBak64, kDll64}}, {kBak64}},
        {"a first install", {}, {}, {}, {}},
        {"an older _bak still in use keeps its DLL in place", {kDll, kDll64, kBak}, {kBak},
         {{kDll, kDll}, {kBak, kBak}, {kBak64, kDll64}}, {kBak64}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ScratchFolder scratch(L"fxaside");
        for (const wchar_t* name : row.before) Write(scratch / name, U8(name));
        std::vector<UniqueFile> held;
        for (const wchar_t* name : row.heldOpen)
            held.emplace_back(::CreateFileW((scratch / name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        InstallJournal journal;
        journal.open(scratch / L"uninstall");
        ASSERT_TRUE(journal.isOpen());

        SetShellExtensionAside(scratch.path(), &journal);

        std::string expectedJournal;
        for (const wchar_t* name : row.journalled) expectedJournal += journal::FileRecord(scratch / name);
        EXPECT_EQ(expectedJournal, Read(scratch / L"uninstall"));
        for (const wchar_t* name : {kDll, kDll64, kBak, kBak64}) {
            std::string expected = "<none>";
            for (const auto& [present, bytes] : row.after)
                if (std::wstring(present) == name) expected = U8(bytes);
            EXPECT_EQ(expected, Read(scratch / name)) << U8(name);
        }
        held.clear();
        journal.close();
    }
}

// Without a journal (none could be opened) the renames still happen.
TEST(SetShellExtensionAside, WithoutAJournalStillRenames) {
    ScratchFolder scratch(L"fxaside");
    Write(scratch / kDll, "old");
    SetShellExtensionAside(scratch.path(), nullptr);
    EXPECT_EQ("old", Read(scratch / kBak));
    EXPECT_FALSE(Exists(scratch / kDll));
}
