// ExtractPayload on real archives made by 7zz at build time, writing real files under
// Wine, with a real window receiving the install events.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include "ExtractionHarness.h"
#include "tests/unit/common/AppPathsAsBefore.h"
#include "app/InstallManager.h"
#include "app/SetupUi.h"
#include "engine/InstallEvents.h"
#include "engine/InstallRun.h"
#include "engine/RunRollback.h"
#include "engine/PayloadResource.h"
#include "base/Handles.h"
#include "base/pure/Utf.h"
#include "ui/MessageLoop.h"

namespace {

using Answers = std::deque<FailureAnswer>;
constexpr auto Retry = FailureAnswer::Retry;
constexpr auto Ignore = FailureAnswer::Ignore;
constexpr auto Abort = FailureAnswer::Abort;
const CUIString kFormatError = L"File format error";

RecordedEvent Status(const std::wstring& path) { return {INSTALL_EVENT_STATUS, 0, path}; }
RecordedEvent Progress(LPARAM percent, const std::wstring& path) { return {INSTALL_EVENT_PROGRESS, percent, path}; }
RecordedEvent Done(const std::wstring& status) { return {INSTALL_EVENT_DONE, 0, status}; }
RecordedEvent Asking(LPARAM waiting, const std::wstring& status) { return {INSTALL_EVENT_ASKING, waiting, status}; }

std::string Record(char letter, const std::wstring& path) { return std::string(1, letter) + " " + Utf8(path); }

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

TEST(Extraction, NestedChineseAndEmptyFilesWithFolderRecordsFirstAndExactEvents) {
    ExtractionRun run(Fixture(L"TREE"));
    run.run();
    const std::wstring in = run.scratch.install();

    // Archive order (7zz's): the empty file, then the block's files by name.
    const std::vector<std::pair<std::wstring, std::string>> files = {
        {L"\\空文件.txt", ""},
        {L"\\a\\b\\c.txt", FixtureText(1, 3000)},
        {L"\\a\\b\\d.bin", [] { std::string s; for (int r = 0; r < 40; ++r) for (int i = 0; i < 256; ++i) s += char(i); return s; }()},
        {L"\\a\\e.txt", FixtureText(2, 500)},
        {L"\\top.txt", FixtureText(3, 100)},
        {L"\\中文目录\\邮件模板.html", FixtureText(4, 2000)},
    };
    std::vector<RecordedEvent> expected;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring path = in + files[i].first;
        EXPECT_TRUE(Exists(path)) << Utf8(path);
        EXPECT_EQ(ReadFileBytes(path), files[i].second) << Utf8(path);
        expected.push_back(Status(path));
        expected.push_back(Progress(static_cast<LPARAM>(i * 100 / files.size()), path));
    }
    expected.push_back(Done(in + files.back().first));
    EXPECT_EQ(run.window.drained(), expected);
    EXPECT_TRUE(run.state.extractionCompleted);
    EXPECT_TRUE(run.prompt.messages.empty());

    // Every folder made is recorded once, before the first file inside it.
    const auto lines = run.journalLines();
    for (const auto& [folder, file] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"\\a", L"\\a\\b\\c.txt"}, {L"\\a\\b", L"\\a\\b\\c.txt"}, {L"\\中文目录", L"\\中文目录\\邮件模板.html"}}) {
        const size_t d = IndexOf(lines, Record('D', in + folder)), f = IndexOf(lines, Record('F', in + file));
        EXPECT_LT(d, lines.size()) << Utf8(folder);
        EXPECT_LT(d, f) << Utf8(folder);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), Record('D', in + folder)), 1);
    }
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == 'F'; }), 6);
    EXPECT_EQ(IndexOf(lines, Record('D', in)), lines.size()) << "the existing install folder is not recorded";
}

TEST(Extraction, DirectoryEntriesBecomeFoldersAndReportNothing) {
    ExtractionRun run(Fixture(L"DIRS"));
    run.run();
    const std::wstring in = run.scratch.install();
    EXPECT_TRUE(IsFolder(in + L"\\emptydir"));
    EXPECT_TRUE(IsFolder(in + L"\\docs\\子目录"));
    EXPECT_EQ(ReadFileBytes(in + L"\\docs\\子目录\\note.txt"), FixtureText(6, 300));
    // Five entries (three folders first): the files are entries 3 and 4.
    EXPECT_EQ(run.window.drained(),
              (std::vector<RecordedEvent>{Status(in + L"\\docs\\readme.txt"), Progress(60, in + L"\\docs\\readme.txt"),
                                          Status(in + L"\\docs\\子目录\\note.txt"),
                                          Progress(80, in + L"\\docs\\子目录\\note.txt"),
                                          Done(in + L"\\docs\\子目录\\note.txt")}));
    const auto lines = run.journalLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{Record('D', in + L"\\docs"), Record('D', in + L"\\docs\\子目录"),
                                        Record('D', in + L"\\emptydir")}));
}

TEST(Extraction, EmptyArchivePostsOnlyDone) {
    ExtractionRun run(Fixture(L"EMPTY"));
    run.run();
    EXPECT_EQ(run.window.kinds(), std::vector<WPARAM>{INSTALL_EVENT_DONE});
    EXPECT_TRUE(run.state.extractionCompleted);
    EXPECT_TRUE(run.decodedBlocks.empty());
}

// An archive that cannot be opened is a failure with the format-error text, not a success.
TEST(Extraction, UnreadablePayloadFailsWithFormatErrorAndWritesNothing) {
    for (const wchar_t* name : {L"TRUNCATED", L"GARBAGE"}) {
        SCOPED_TRACE(Utf8(name));
        ExtractionRun run(Fixture(name));
        run.run();
        EXPECT_FALSE(run.state.extractionCompleted);
        EXPECT_EQ(run.state.GetStatusText(), kFormatError);
        EXPECT_EQ(run.window.drained(), (std::vector<RecordedEvent>{{INSTALL_EVENT_STATUS, 0, kFormatError},
                                                                    Done(kFormatError)}));
        EXPECT_TRUE(run.prompt.messages.empty());
        EXPECT_TRUE(std::filesystem::is_empty(run.scratch.install()));
    }
}

TEST(Extraction, MissingPayloadEndsWithItsMessage) {
    ExtractionRun run(Fixture(L"TREE"));
    run.hooks.payload = []() -> PayloadBytes { throw CUIString(L"Fail to load resource from X"); };
    run.run();
    EXPECT_FALSE(run.state.extractionCompleted);
    EXPECT_EQ(run.window.drained(), (std::vector<RecordedEvent>{{INSTALL_EVENT_STATUS, 0, L"Fail to load resource from X"},
                                                                Done(L"Fail to load resource from X")}));
}

// crc.7z: one solid block "1.txt", "2.txt", "3.txt"; the stored CRC of 2.txt is wrong.
struct CrcCase {
    const char* name;
    Answers answers;
    size_t prompts;
    std::vector<std::uint32_t> decodes;
    bool completed;
    bool thirdWritten;
};

TEST(Extraction, CorruptEntryRetryDecodesAgainIgnoreSkipsItAbortEnds) {
    const std::vector<CrcCase> cases = {
        // The block is decoded for 1.txt, again for each Retry, and again for 3.txt.
        {"ignore", {Ignore}, 1, {0, 0}, true, true},
        {"retry then ignore", {Retry, Ignore}, 2, {0, 0, 0}, true, true},
        {"abort", {Abort}, 1, {0}, false, false},
    };
    for (const CrcCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExtractionRun run(Fixture(L"CRC"), c.answers);
        run.run();
        const std::wstring in = run.scratch.install();
        EXPECT_EQ(run.prompt.messages, std::vector<CUIString>(c.prompts, kFormatError));
        EXPECT_EQ(run.decodedBlocks, c.decodes);
        EXPECT_EQ(run.state.extractionCompleted, c.completed);
        EXPECT_EQ(ReadFileBytes(in + L"\\1.txt"), FixtureText(7, 5000));
        EXPECT_FALSE(Exists(in + L"\\2.txt"));
        EXPECT_EQ(Exists(in + L"\\3.txt"), c.thirdWritten);
        const auto& events = run.window.drained();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().kind, INSTALL_EVENT_DONE);
        EXPECT_EQ(std::count_if(events.begin(), events.end(),
                                [](const RecordedEvent& e) { return e.kind == INSTALL_EVENT_DONE; }), 1);
        if (!c.completed) {  // Abort: the status text is emptied, so the window shows nothing
            // The prompt is announced before it shows and after it is answered.
            EXPECT_EQ(events, (std::vector<RecordedEvent>{Status(in + L"\\1.txt"), Progress(0, in + L"\\1.txt"),
                                                          Asking(1, in + L"\\1.txt"), Asking(0, in + L"\\1.txt"),
                                                          {INSTALL_EVENT_STATUS, 0, L""}, Done(L"")}));
        } else {
            EXPECT_EQ(events.end()[-2], Progress(66, in + L"\\3.txt"));
        }
    }
}

// damaged.7z: one solid block of part0.txt .. part7.txt, its packed stream damaged three
// quarters in. The files before the damage are written while the block decodes; each
// entry from the damage on asks (Ignore), its block decoded afresh; no wrong byte is written.
TEST(Extraction, DamagedBlockWritesTheFilesBeforeTheDamageAndFailsEachAfterIt) {
    ExtractionRun run(Fixture(L"DAMAGED"), {Ignore, Ignore, Ignore});
    run.run();
    const std::wstring in = run.scratch.install();
    EXPECT_EQ(run.prompt.messages, std::vector<CUIString>(3, kFormatError));
    EXPECT_EQ(run.decodedBlocks, (std::vector<std::uint32_t>{0, 0, 0}));
    EXPECT_TRUE(run.state.extractionCompleted);
    for (int i = 0; i < 8; ++i) {
        const std::wstring part = in + L"\\part" + std::to_wstring(i) + L".txt";
        EXPECT_EQ(Exists(part), i < 5) << i;
        if (i < 5) {
            EXPECT_EQ(ReadFileBytes(part), FixtureText(30 + i, 100000)) << i;
        }
    }
}

TEST(Extraction, NamesLeavingTheInstallFolderAreRefused) {
    // Four bad names ("../up.txt", "/abs.txt", "C:/drive.txt", "yy/../..x/deep.txt");
    // the first is retried once, which asks again.
    ExtractionRun run(Fixture(L"TRAVERSAL"), {Retry, Ignore, Ignore, Ignore, Ignore});
    run.run();
    const std::wstring root = run.scratch.root(), in = run.scratch.install();
    EXPECT_EQ(run.prompt.messages, std::vector<CUIString>(5, kFormatError));
    EXPECT_EQ(run.prompt.unanswered(), 0u);
    EXPECT_TRUE(run.state.extractionCompleted);
    EXPECT_EQ(ReadFileBytes(in + L"\\ok.txt"), "ok");
    for (const std::wstring& outside : {root + L"\\up.txt", root + L"\\..x", std::wstring(L"C:\\drive.txt"),
                                        std::wstring(L"C:\\abs.txt"), in + L"\\yy"})
        EXPECT_FALSE(Exists(outside)) << Utf8(outside);
    const auto lines = run.journalLines();
    EXPECT_EQ(lines, std::vector<std::string>{Record('F', in + L"\\ok.txt")});
}

// A file in use cannot be replaced: the new bytes go to a file beside it, which goes again
// when the old one cannot be moved aside; the user is asked (Ignore here), the old file
// stays as it was, and the run counts the entry as not written. A program that holds the
// file without delete sharing keeps it from being opened for the move at all, so no move
// is recorded: a backup is recorded only once the file has passed every check, just
// before it moves. A read-only file, which Wine run as root cannot refuse, is skipped
// silently; the system test covers it with an immutable file.
TEST(Extraction, FileInUseAsksAndIgnoreLeavesItAndCountsIt) {
    ExtractionRun run(Fixture(L"TREE"), {Ignore});
    const std::wstring locked = run.scratch.install() + L"\\top.txt";
    {
        std::ofstream(std::filesystem::path(locked), std::ios::binary) << "old";
    }
    UniqueHandle holder(::CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    run.run();
    EXPECT_EQ(ReadFileBytes(locked), "old");
    EXPECT_EQ(run.prompt.messages, std::vector<CUIString>{L"Fail to write " + locked});
    EXPECT_TRUE(run.state.extractionCompleted);
    EXPECT_EQ(run.state.entriesSkipped, std::vector<std::wstring>{locked});
    EXPECT_FALSE(Exists(locked + L".vxnew"));
    const auto lines = run.journalLines();
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.rfind("B " + Utf16ToUtf8(locked) + "|", 0) == 0;
    })) << "a file that could not be opened to move is not recorded as moving";
    const auto& events = run.window.drained();
    EXPECT_EQ(std::count(events.begin(), events.end(), Status(locked)), 0);
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const RecordedEvent& e) { return e.kind == INSTALL_EVENT_PROGRESS && e.value == 66; }),
              0)
        << "entry 4 of 6 (top.txt) reports nothing";
    EXPECT_EQ(events.size(), 2u * 5 + 1 + 2);  // and the prompt, announced before and after
}

// A file is made only once its record is in the journal. While the journal takes no
// record (its plain file, gone after a finish, cannot be made again: a folder stands in
// its place, as a full disk would refuse it), the prompt names the journal and the file
// is not there; after Retry both are, the record once.
TEST(Extraction, AFileIsMadeOnlyOnceItsRecordIsWritten) {
    ExtractionRun run(Fixture(L"TREE"));
    const std::wstring journal = run.scratch.journal(), first = run.scratch.install() + L"\\空文件.txt";
    run.state.journal->finish();
    ASSERT_TRUE(::CreateDirectoryW(journal.c_str(), nullptr));
    std::vector<CUIString> messages;
    bool madeWhileAsked = false;
    run.hooks.prompt = [&](const CUIString& message) {
        messages.push_back(message);
        madeWhileAsked = madeWhileAsked || Exists(first);
        ::RemoveDirectoryW(journal.c_str());
        return Retry;
    };
    run.run();
    EXPECT_EQ(messages, std::vector<CUIString>{L"Fail to write " + journal});
    EXPECT_FALSE(madeWhileAsked);
    EXPECT_TRUE(run.state.extractionCompleted);
    EXPECT_TRUE(Exists(first));
    const auto lines = run.journalLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), Record('F', first));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), Record('F', first)), 1);
}

TEST(Extraction, FolderThatCannotBeMadeAsksWithItsPathAndIgnoreSkipsOnlyThatFile) {
    ExtractionRun run(Fixture(L"TREE"), {Ignore, Retry, Ignore});
    const std::wstring in = run.scratch.install();
    {
        std::ofstream(std::filesystem::path(in + L"\\a"), std::ios::binary) << "a file where a folder goes";
    }
    run.run();
    // c.txt asks (Ignore), d.bin asks (Retry, then Ignore); e.txt's folder "a" exists as
    // a file, so its creation fails silently.
    EXPECT_EQ(run.prompt.messages, std::vector<CUIString>(3, L"Create " + in + L"\\a\\b error!"));
    EXPECT_TRUE(run.state.extractionCompleted);
    EXPECT_EQ(ReadFileBytes(in + L"\\top.txt"), FixtureText(3, 100));
    EXPECT_TRUE(Exists(in + L"\\中文目录\\邮件模板.html"));
}

// The payload compiled into this program as "BIN" 227 is the shipped one.
TEST(Extraction, ShippedPayloadDecodesEachSolidBlockOnce) {
    ExtractionRun run(LoadOwnPayload(::GetModuleHandleW(nullptr)));
    run.run();
    EXPECT_TRUE(run.state.extractionCompleted);
    EXPECT_TRUE(run.prompt.messages.empty());
    std::vector<std::uint32_t> blocks = run.decodedBlocks;
    std::sort(blocks.begin(), blocks.end());
    EXPECT_EQ(blocks, (std::vector<std::uint32_t>{0, 1, 2}));
    const std::wstring in = run.scratch.install();
    for (const wchar_t* name : {L"\\Start.exe", L"\\Vexmora-PC.exe", L"\\uninstall.exe", L"\\CrashSender1403.exe",
                                L"\\QuillwireShell.dll", L"\\QuillwireShell64.dll", L"\\config\\首次运行.flag"})
        EXPECT_TRUE(Exists(in + name)) << Utf8(name);
    const auto& events = run.window.drained();
    const size_t files = std::count_if(events.begin(), events.end(),
                                       [](const RecordedEvent& e) { return e.kind == INSTALL_EVENT_PROGRESS; });
    ASSERT_GE(files, 20u);  // every entry is a file: the last reports (n - 1) * 100 / n
    EXPECT_EQ(events.end()[-2].value, static_cast<LPARAM>((files - 1) * 100 / files));
}

// The program's hooks read "BIN" 227 of the running module.
TEST(Extraction, ProgramHooksReadTheOwnPayloadResource) {
    InstallState state(::GetModuleHandleW(nullptr));
    const PayloadBytes own = ProgramExtractionHooks(state).payload();
    ASSERT_GT(own.size(), 32u);
    const std::uint8_t signature[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), own.begin()));
}

// The setup's own run keeps its windows going through the pump the windows hand in: by
// the time the run returns, every event it posted has been handled but the last.
TEST(InstallRun, TheManagersRunPumpsThroughTheWindowsPump) {
    AppPathsAsBefore appPaths;  // the run points "SoftwarePath" at itself
    struct PumpingUi : SetupUi {
        void ShowAlreadyRunning() override {}
        bool ShowClientRunning(const std::vector<DWORD>&) override { return true; }
        void ShowWarning(const std::wstring&, const std::wstring&) override {}
        bool OpenMainWindow() override { return false; }
        void RunMessageLoop() override {}
        void PumpMessages() override {
            ++pumps;
            UIPumpMessages();
        }
        int pumps = 0;
    } ui;
    Scratch scratch;
    Install_CIM manager(::GetModuleHandleW(nullptr));  // the payload: this program's "BIN" 227
    manager.SetUi(&ui);
    manager.SetInstallPath(scratch.install());
    EventWindow window(&manager.State());
    manager.StartInstall(window.handle());
    EXPECT_TRUE(manager.ExtractionCompleted());
    EXPECT_GT(ui.pumps, 20);
    MSG left = {};
    ASSERT_TRUE(::PeekMessageW(&left, window.handle(), WM_INSTALL_EVENT, WM_INSTALL_EVENT, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(INSTALL_EVENT_DONE), left.wParam);
    EXPECT_FALSE(::PeekMessageW(&left, window.handle(), WM_INSTALL_EVENT, WM_INSTALL_EVENT, PM_NOREMOVE));
    EXPECT_GT(window.kinds().size(), 20u);  // the events handled during the run
    // Taken back, "SoftwarePath" included, which the run pointed here: the test machine is
    // left with no installation recorded.
    EXPECT_TRUE(manager.RollBackUnfinishedRun().complete);
}

TEST(InstallRun, StartSentFirstThenExtractionAndJournalAtInstallFolder) {
    AppPathsAsBefore appPaths;  // the run points "SoftwarePath" at itself
    ExtractionRun run(Fixture(L"EMPTY"));
    const std::wstring journal = run.scratch.install() + L"\\uninstall";
    run.state.journal.reset();
    StartInstall(run.state, run.window.handle(), run.hooks);
    EXPECT_EQ(run.window.kinds(), (std::vector<WPARAM>{INSTALL_EVENT_START, INSTALL_EVENT_DONE}));
    ASSERT_TRUE(run.state.journal && run.state.journal->isOpen());
    EXPECT_EQ(run.state.journal->path(), journal);
    EXPECT_TRUE(Exists(journal));

    // A run that did not complete is taken back before the next one begins anew there.
    EXPECT_TRUE(run.state.journal->inRun());
    EXPECT_TRUE(RollBackRun(run.state).complete);
    EXPECT_FALSE(Exists(journal));
    StartInstall(run.state, run.window.handle(), run.hooks);
    EXPECT_TRUE(run.state.journal->isOpen() && run.state.journal->inRun());
    EXPECT_TRUE(RollBackRun(run.state).complete);  // "SoftwarePath" as before the test
}

}  // namespace
