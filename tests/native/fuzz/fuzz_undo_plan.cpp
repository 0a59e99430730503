// The undo planner on arbitrary journal text: whatever the journal says, every step of
// the plan lies inside the places it was given (the install folder, the product's
// start-menu folder below a Programs folder, its shortcut on a desktop, the registry keys
// the setup writes), and every folder left for last is the install folder or one above it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include "journal/UndoPlan.h"

namespace {

const undo::Places& TestPlaces() {
    // Those of the quick install whose journal is among the seeds.
    static const undo::Places places{
        L"D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱",
        {L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
         L"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
        {L"C:\\users\\Public\\Desktop", L"C:\\users\\me\\Desktop"}};
    return places;
}

// `path` is `folder` itself (when `self`) or lies below it.
bool Under(std::wstring_view path, std::wstring_view folder, bool self) {
    if (undo::SameText(path, folder)) return self;
    return path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
           undo::SameText(path.substr(0, folder.size()), folder);
}

bool UnderAny(std::wstring_view path, const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders)
        if (Under(path, folder, false)) return true;
    return false;
}

bool IsPlace(std::wstring_view folder, const undo::Places& places) {
    if (undo::SameText(folder, places.installFolder)) return true;
    for (const auto* list : {&places.programs, &places.desktops})
        for (const std::wstring& place : *list)
            if (undo::SameText(folder, place)) return true;
    return false;
}

bool OwnedKey(const undo::Step& step) {
    for (const wchar_t* key : {kAppPathsKey, kUninstallKey64, kUninstallKey32})
        if (step.root == journal::kRootLocalMachine && step.path == key) return true;
    return step.action == undo::Action::RemoveValue && step.root == journal::kRootCurrentUser &&
           step.path == kRunKey && step.valueName == kRunValue;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const undo::Places& places = TestPlaces();
    const undo::Plan plan = undo::MakeUndoPlan(text, places);
    for (const undo::Step& step : plan.steps) {
        switch (step.action) {
            case undo::Action::RemoveFile:
            case undo::Action::RemoveFolder:
                Check(undo::IsPlainAbsolutePath(step.path));
                Check(step.anchor > 0 && step.anchor < step.path.size());
                Check(Under(step.path, places.installFolder, false) || UnderAny(step.path, places.programs) ||
                      UnderAny(step.path, places.desktops));
                // The anchor is one of the places, so the runner's link check starts there.
                Check(step.path[step.anchor] == L'\\' && IsPlace(step.path.substr(0, step.anchor), places));
                // The uninstaller's own files are left to its self-removal.
                Check(!undo::SameText(step.path, places.installFolder + L"\\" + undo::kSelfName));
                Check(!undo::SameText(step.path, places.installFolder + L"\\" + undo::kJournalName));
                break;
            case undo::Action::RemoveValue:
            case undo::Action::RemoveKeyIfEmpty:
                Check(OwnedKey(step));
                break;
        }
        Check(step.line <= size + 1);
    }
    for (const std::wstring& folder : plan.lastFolders)
        Check(Under(places.installFolder, folder, true) && undo::IsPlainAbsolutePath(folder));
    for (const undo::Refusal& refusal : plan.refused) Check(refusal.line >= 1 && refusal.line <= size + 1);
    return 0;
}
