#include "base/pure/PendingRenames.h"

std::vector<PendingRename> ParsePendingRenames(std::wstring_view value) {
    std::vector<PendingRename> renames;
    auto next = [&](std::size_t& at, std::wstring& out) {
        const std::size_t end = value.find(L'\0', at);
        if (end == std::wstring_view::npos) return false;
        out.assign(value.substr(at, end - at));
        at = end + 1;
        return true;
    };
    for (std::size_t at = 0; at < value.size();) {
        PendingRename rename;
        if (!next(at, rename.source) || rename.source.empty() || !next(at, rename.target)) break;
        renames.push_back(std::move(rename));
    }
    return renames;
}

std::wstring PendingRenamesValue(const std::vector<PendingRename>& renames) {
    if (renames.empty()) return {};
    std::wstring value;
    for (const PendingRename& rename : renames) {
        value += rename.source;
        value += L'\0';
        value += rename.target;
        value += L'\0';
    }
    value += L'\0';
    return value;
}

std::wstring_view PendingRenamePath(std::wstring_view name) {
    if (!name.empty() && name.front() == L'!') name.remove_prefix(1);  // a target's "replace what is there"
    if (name.rfind(L"\\??\\", 0) == 0) name.remove_prefix(4);
    return name;
}

std::vector<PendingRename> WithoutPendingRenames(const std::vector<PendingRename>& renames,
                                                 const std::function<bool(std::wstring_view)>& touches) {
    std::vector<PendingRename> kept;
    for (const PendingRename& rename : renames) {
        const bool ours = touches(PendingRenamePath(rename.source)) ||
                          (!rename.target.empty() && touches(PendingRenamePath(rename.target)));
        if (!ours) kept.push_back(rename);
    }
    return kept;
}
