// "uninstall.exe": reads the install journal beside itself (the encrypted "uninstallE"
// and a plain "uninstall" that a setup ended early left, merged: neither is trusted more
// than the other) and undoes what the install created, newest first, then removes itself.
// Run by the setup with the command line " true" it works silently (the setup is about to
// install again); run with "/S" (the uninstall entry's quiet command) it shows nothing and
// removes everything, its folder included; started by hand it asks first and shows what
// it could not remove. What could not be undone stays in the journal for a later attempt
// (UndoLeftovers.h). Every run is noted, with its command line, in "uninstall-ran.txt"
// beside it (one UTF-8 line per run). A setup run that did not finish here (it was killed,
// or the session ended) is taken back first (journal/RunTakeBack.h): what is uninstalled
// is the installation that run went over.
// Exit codes (UninstallExit): 0 only when everything recorded was undone.
#include <windows.h>

#include <string>

#include "Invocation.h"
#include "SelfRemoval.h"
#include "journal/UndoLeftovers.h"
#include "journal/UndoPlan.h"
#include "UndoReport.h"
#include "base/Handles.h"
#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
#include "journal/RunTakeBack.h"
#include "journal/UndoRun.h"

namespace {

enum UninstallExit : int {
    kRemoved = 0,      // everything recorded was undone
    kLeft = 1,         // records were refused or could not be undone; they stay in the journal
    kNoJournal = 2,    // no journal to go by: nothing was touched
    kJournalHeld = 3,  // the journal is held by another program: nothing was touched
    kRunLeft = 4,      // an unfinished setup run could not be taken back: nothing else was touched
};

constexpr wchar_t kCaption[] = L"卸载 VexmoraZevlo邮箱";

void NoteRun(const std::wstring& folder) {
    UniqueFile file(::CreateFileW((folder + L"\\" + undo::kRanNoteName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string line = "ran: " + journal::Utf16ToUtf8(::GetCommandLineW()) + "\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// Out of the install folder: a current directory there would keep it from going.
void LeaveInstallFolder() {
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length != 0 && length < MAX_PATH) ::SetCurrentDirectoryW(system);
}

bool Confirmed() {
    return ::MessageBoxW(nullptr, L"确定要卸载 VexmoraZevlo邮箱 吗？", kCaption,
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const undo::Places places = undo::CurrentPlaces();
    if (places.installFolder.empty()) return 1;
    NoteRun(places.installFolder);
    LeaveInstallFolder();
    const undo::RunMode mode = undo::ReadRunMode(::GetCommandLineW());
    const bool silent = mode != undo::RunMode::Interactive;  // no window at all
    const bool forSetup = mode == undo::RunMode::ForSetup;
    if (!silent && !Confirmed()) return 0;

    const undo::RunTakenBack unfinished = undo::TakeBackUnfinishedRun(places.installFolder);
    if (unfinished.found && !unfinished.complete) {
        if (!silent)
            ::MessageBoxW(nullptr, L"上次未完成的安装未能全部撤销，请关闭正在使用相关文件的程序后重试。", kCaption,
                          MB_OK | MB_ICONWARNING);
        return kRunLeft;
    }
    const StoredJournal stored = ReadStoredJournal(places.installFolder + L"\\" + kPlainJournalName);
    // Without the journal nothing here is known to be the install's: touch nothing. One
    // that another program holds now cannot be merged, nor rewritten without losing it.
    if (!stored.found() || stored.cipherHeld) {
        if (!silent)
            ::MessageBoxW(nullptr, L"找不到安装记录，无法卸载 VexmoraZevlo邮箱。", kCaption, MB_OK | MB_ICONERROR);
        return stored.cipherHeld ? kJournalHeld : kNoJournal;
    }
    const undo::Plan plan = undo::MakeUndoPlan(stored.text, places);
    const undo::UndoOutcome outcome = undo::RunUndo(plan);
    undo::Leftovers leftovers;
    leftovers.entryKept = !outcome.keptBack.empty();
    // Not for a setup that installs again: it unpacks new files under the same names at
    // once, and a deletion pending until the restart would take those.
    if (!forSetup) leftovers.atRestart = undo::RemoveAtRestart(outcome.results, plan.installFolder);
    undo::StoreLeftoverJournal(places.installFolder, undo::LeftoverRecords(stored.text, plan, outcome));
    const undo::Report report = undo::MakeReport(plan, outcome.results, leftovers);
    if (!silent) ::MessageBoxW(nullptr, report.text.c_str(), kCaption, MB_OK | (report.clean ? MB_ICONINFORMATION : MB_ICONWARNING));
    // Run by the setup, the install folder stays, with the note of this run: the setup
    // has already made its target folder, usually this very one, and is about to unpack
    // into it; removing the folder now would pull it from under the new install. Run by
    // hand or quietly with the uninstall entry kept, the uninstaller stays too, for the
    // next attempt.
    if (forSetup || !leftovers.entryKept)
        undo::RemoveSelfAfterExit(places.installFolder, forSetup ? std::vector<std::wstring>() : plan.lastFolders,
                                  forSetup);
    return report.clean ? kRemoved : kLeft;
}
