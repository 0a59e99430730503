#include "journal/UndoPlan.h"

#include <algorithm>
#include <array>

#include "base/pure/AsciiCase.h"
#include "base/pure/PathRules.h"
#include "journal/JournalRecord.h"
#include "journal/JournalParse.h"

namespace undo {
namespace {

bool StartsWithText(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// `path` lies below `folder` (not the folder itself). Both are plain absolute paths.
bool IsInside(std::wstring_view path, std::wstring_view folder) {
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
           StartsWithText(path, folder);
}

// The part of `path` after `folder` and its backslash, or nothing when not inside.
std::wstring_view Below(std::wstring_view path, std::wstring_view folder) {
    return IsInside(path, folder) ? path.substr(folder.size() + 1) : std::wstring_view();
}

bool IsMenuName(std::wstring_view name) {
    return std::any_of(std::begin(kMenuNames), std::end(kMenuNames),
                       [&](const wchar_t* menu) { return SameText(name, menu); });
}

// "<menu name>.lnk": the one shortcut the setup puts on a desktop.
bool IsDesktopShortcut(std::wstring_view name) {
    constexpr std::wstring_view kLink = L".lnk";
    return name.size() > kLink.size() && SameText(name.substr(name.size() - kLink.size()), kLink) &&
           IsMenuName(name.substr(0, name.size() - kLink.size()));
}

// "<menu name>" or "<menu name>\<anything>.lnk" below a Programs folder.
bool IsMenuFolder(std::wstring_view below) { return !below.empty() && IsMenuName(below); }
bool IsMenuShortcut(std::wstring_view below) {
    const std::size_t split = below.find(L'\\');
    if (split == std::wstring_view::npos || !IsMenuName(below.substr(0, split))) return false;
    const std::wstring_view name = below.substr(split + 1);
    return name.find(L'\\') == std::wstring_view::npos && name.size() > 4 &&
           SameText(name.substr(name.size() - 4), L".lnk");
}

bool IsAcceptablePart(std::wstring_view part) {
    if (part.empty() || part == L"." || ClimbsOut(part)) return false;
    if (EndsInDotOrBlank(part)) return false;
    // The characters no file name may hold are the setup's own rule; "/" and ":" would
    // make another path of it or name a stream.
    if (HasForbiddenNameCharacter(part) || part.find_first_of(L"/:") != std::wstring_view::npos) return false;
    return !IsDeviceName(part);
}

// A folder from the system, made comparable: no trailing backslash, plain, else dropped.
std::wstring CleanFolder(std::wstring folder) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return IsPlainAbsolutePath(folder) ? folder : std::wstring();
}

std::vector<std::wstring> CleanFolders(const std::vector<std::wstring>& folders) {
    std::vector<std::wstring> out;
    for (const std::wstring& folder : folders)
        if (std::wstring clean = CleanFolder(folder); !clean.empty()) out.push_back(std::move(clean));
    return out;
}

bool IsOwnFile(std::wstring_view path, std::wstring_view installFolder) {
    if (!IsInside(path, installFolder)) return false;
    const std::wstring_view name = path.substr(installFolder.size() + 1);
    return SameText(name, kSelfName) || SameText(name, kJournalName) || SameText(name, kRanNoteName);
}

// Cuts a UTF-8 record to a readable length without splitting a character.
std::string Shown(std::string_view line) {
    constexpr std::size_t kMax = 200;
    if (line.size() <= kMax) return std::string(line);
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    return std::string(line.substr(0, cut)) + "...";
}

class Planner {
public:
    explicit Planner(const Places& places) {
        install_ = CleanFolder(places.installFolder);
        programs_ = CleanFolders(places.programs);
        desktops_ = CleanFolders(places.desktops);
    }

    void Add(const journal::Record& record) {
        if (!record.ok()) return Refuse(record.line, record.text, record.problem);
        std::string reason;
        switch (record.kind) {
            case journal::RecordKind::File: reason = AddFile(record.line, record.path); break;
            case journal::RecordKind::Folder: reason = AddFolder(record.line, record.path); break;
            case journal::RecordKind::Key: reason = AddKey(record.line, record.root, record.path); break;
            case journal::RecordKind::Value:
                reason = AddValue(record.line, record.root, record.path, record.valueName);
                break;
            case journal::RecordKind::Begin: break;
            case journal::RecordKind::Backup: reason = AddBackup(record); break;
            case journal::RecordKind::OldValue: reason = AddOldValue(record); break;
        }
        if (!reason.empty()) Refuse(record.line, record.text, reason);
    }

    Plan Finish() {
        std::reverse(plan_.steps.begin(), plan_.steps.end());
        // The uninstall key is the install's although only its values are journalled:
        // it goes once they are gone and nothing else is left in it.
        for (const std::wstring& key : {std::wstring(kUninstallKey64), std::wstring(kUninstallKey32)}) {
            if (std::find(valueKeys_.begin(), valueKeys_.end(), key) != valueKeys_.end() &&
                std::find(claimedKeys_.begin(), claimedKeys_.end(), key) == claimedKeys_.end())
                plan_.steps.push_back({Action::RemoveKeyIfEmpty, 0, key, journal::kRootLocalMachine, {}});
        }
        plan_.installFolder = install_;
        if (!install_.empty()) plan_.lastFolders.insert(plan_.lastFolders.begin(), install_);
        std::stable_sort(plan_.lastFolders.begin(), plan_.lastFolders.end(),
                         [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
        plan_.lastFolders.erase(std::unique(plan_.lastFolders.begin(), plan_.lastFolders.end(),
                                            [](const std::wstring& a, const std::wstring& b) { return SameText(a, b); }),
                                plan_.lastFolders.end());
        return std::move(plan_);
    }

    void Refuse(std::size_t number, std::string_view line, std::string reason) {
        plan_.refused.push_back({number, Shown(line), std::move(reason)});
    }

private:
    // The length of the allowed folder a file record's path lies in; 0 when none.
    std::size_t FileAnchor(const std::wstring& path) const {
        std::size_t anchor = IsInside(path, install_) ? install_.size() : 0;
        for (const std::wstring& programs : programs_)
            if (anchor == 0 && IsMenuShortcut(Below(path, programs))) anchor = programs.size();
        for (const std::wstring& desktop : desktops_)
            if (anchor == 0 && IsDesktopShortcut(Below(path, desktop))) anchor = desktop.size();
        return anchor;
    }

    std::string AddFile(std::size_t number, const std::wstring& path) {
        if (!IsPlainAbsolutePath(path)) return "not a plain absolute path";
        if (IsOwnFile(path, install_)) return {};
        if (const std::size_t anchor = FileAnchor(path); anchor != 0) {
            plan_.steps.push_back({Action::RemoveFile, number, path, 0, {}, anchor});
            return {};
        }
        return "file outside the places the setup writes to";
    }

    std::string AddBackup(const journal::Record& record) {
        if (!IsPlainAbsolutePath(record.path) || !IsPlainAbsolutePath(record.backup)) return "not a plain absolute path";
        const std::size_t anchor = FileAnchor(record.path);
        if (anchor == 0) return "file outside the places the setup writes to";
        if (!IsInside(record.backup, install_) || IsOwnFile(record.backup, install_))
            return "backup outside the install folder";
        Step step{Action::RestoreBackup, record.line, record.path, 0, {}, anchor};
        step.backup = record.backup;
        plan_.steps.push_back(std::move(step));
        return {};
    }

    std::string AddOldValue(const journal::Record& record) {
        if (record.data.size() > kMaxOldValueBytes) return "old value too large";
        const std::size_t steps = plan_.steps.size();
        if (std::string reason = AddValue(record.line, record.root, record.path, record.valueName); !reason.empty())
            return reason;
        // The value's place, as AddValue took it, becomes the place it is written again.
        Step& step = plan_.steps[steps];
        step.action = Action::RestoreValue;
        step.valueType = record.valueType;
        step.data = record.data;
        return {};
    }

    std::string AddFolder(std::size_t number, const std::wstring& path) {
        if (!IsPlainAbsolutePath(path)) return "not a plain absolute path";
        if (!install_.empty() && (SameText(path, install_) || IsInside(install_, path))) {
            plan_.lastFolders.push_back(path);
            return {};
        }
        if (IsOwnFile(path, install_)) return {};  // under any record type, left to the self-removal
        std::size_t anchor = IsInside(path, install_) ? install_.size() : 0;
        for (const std::wstring& programs : programs_)
            if (anchor == 0 && IsMenuFolder(Below(path, programs))) anchor = programs.size();
        if (anchor != 0) {
            plan_.steps.push_back({Action::RemoveFolder, number, path, 0, {}, anchor});
            return {};
        }
        return "folder outside the places the setup writes to";
    }

    std::string AddKey(std::size_t number, std::uint32_t root, const std::wstring& key) {
        const std::wstring* owned = OwnedKey(root, key);
        if (!owned) return "registry key that the setup does not own";
        claimedKeys_.push_back(*owned);
        plan_.steps.push_back({Action::RemoveKeyIfEmpty, number, *owned, root, {}});
        return {};
    }

    std::string AddValue(std::size_t number, std::uint32_t root, const std::wstring& key, const std::wstring& name) {
        if (name.empty()) return "registry value without a name";
        if (const std::wstring* owned = OwnedKey(root, key)) {
            valueKeys_.push_back(*owned);
            plan_.steps.push_back({Action::RemoveValue, number, *owned, root, name});
            return {};
        }
        if (root == journal::kRootCurrentUser && SameText(key, kRunKey) && SameText(name, kRunValue)) {
            plan_.steps.push_back({Action::RemoveValue, number, kRunKey, root, kRunValue});
            return {};
        }
        return "registry value that the setup does not write";
    }

    // The canonical spelling of a key the install owns whole, or null.
    const std::wstring* OwnedKey(std::uint32_t root, std::wstring_view key) const {
        if (root != journal::kRootLocalMachine) return nullptr;
        for (const std::wstring& owned : owned_)
            if (SameText(key, owned)) return &owned;
        return nullptr;
    }

    const std::array<std::wstring, 3> owned_ = {kAppPathsKey, kUninstallKey64, kUninstallKey32};
    std::wstring install_;
    std::vector<std::wstring> programs_;
    std::vector<std::wstring> desktops_;
    std::vector<std::wstring> valueKeys_;
    std::vector<std::wstring> claimedKeys_;
    Plan plan_;
};

}  // namespace

bool SameText(std::wstring_view a, std::wstring_view b) { return SameTextIgnoringAsciiCase(a, b); }

bool IsPlainAbsolutePath(std::wstring_view path) {
    if (path.size() < 4 || path[1] != L':' || path[2] != L'\\') return false;
    const wchar_t drive = FoldAscii(path[0]);
    if (drive < L'a' || drive > L'z') return false;
    for (std::size_t at = 3;;) {
        const std::size_t end = std::min(path.find(L'\\', at), path.size());
        if (!IsAcceptablePart(path.substr(at, end - at))) return false;
        if (end == path.size()) return true;
        at = end + 1;
    }
}

Plan MakeUndoPlan(std::string_view journalText, const Places& places) {
    Planner planner(places);
    // A line that is no record, and a journal's last line when it was cut short (it may
    // name a prefix of the path meant), are refused like records pointing elsewhere.
    for (const journal::Record& record : journal::Parse(journalText)) planner.Add(record);
    return planner.Finish();
}

}  // namespace undo
