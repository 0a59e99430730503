// The earlier shell extension set aside in this process, before the first payload file:
// older "_bak" copies go into the run's backup first, each DLL is renamed to its "_bak"
// name, each move recorded before it happens; taking the run back puts every file home.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "engine/InstallState.h"
#include "engine/RunBackup.h"
#include "engine/RunRollback.h"
#include "engine/ShellExtensionAside.h"
#include "journal/JournalRecord.h"
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

TEST(SetShellExtensionAside, RenamesWhatIsThereRecordingEachMoveAndARollbackPutsItBack) {
    struct Row {
        const char* why;
        std::vector<const wchar_t*> before;            // files present, each holding its own name
        std::vector<const wchar_t*> heldOpen;          // held without delete sharing
        std::vector<std::pair<const wchar_t*, const wchar_t*>> after;  // name, whose bytes it holds
    };
    const Row rows[] = {
        {"both, an older _bak", {kDll, kDll64, kBak}, {}, {{kBak, kDll}, {kBak64, kDll64}}},
        {"the 64-bit one only; the older _bak goes anyway", {kDll64, kBak}, {}, {{kBak64, kDll64}}},
        {"a first install", {}, {}, {}},
        {"an older _bak still in use keeps its DLL in place", {kDll, kDll64, kBak}, {kBak},
         {{kDll, kDll}, {kBak, kBak}, {kBak64, kDll64}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ScratchFolder scratch(L"fxaside");
        for (const wchar_t* name : row.before) Write(scratch / name, U8(name));
        std::vector<UniqueFile> held;
        for (const wchar_t* name : row.heldOpen)
            held.emplace_back(::CreateFileW((scratch / name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        InstallState state(::GetModuleHandleW(nullptr));
        state.installPath = scratch.path();
        state.journal = std::make_unique<InstallJournal>();
        state.journal->open(scratch / L"uninstall");
        ASSERT_TRUE(state.journal->isOpen() && state.journal->begin(scratch.path()));

        SetShellExtensionAside(state);

        for (const wchar_t* name : {kDll, kDll64, kBak, kBak64}) {
            std::string expected = "<none>";
            for (const auto& [present, bytes] : row.after)
                if (std::wstring(present) == name) expected = U8(bytes);
            EXPECT_EQ(expected, Read(scratch / name)) << U8(name);
        }
        // Every move was recorded before it was made: taking the run back puts each file
        // back under its own name, and leaves no backup.
        held.clear();
        EXPECT_TRUE(RollBackRun(state).complete);
        for (const wchar_t* name : {kDll, kDll64, kBak, kBak64}) {
            const bool was = std::find(row.before.begin(), row.before.end(), std::wstring(name)) != row.before.end();
            EXPECT_EQ(was ? U8(name) : "<none>", Read(scratch / name)) << U8(name);
        }
        EXPECT_FALSE(Exists(scratch / kRunBackupFolderName));
        EXPECT_FALSE(Exists(scratch / L"uninstall"));
    }
}
