#include "engine/ExtractionNames.h"

#include "base/pure/PathRules.h"

#include <algorithm>

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

}  // namespace

bool IsSafeEntryName(std::wstring_view name) {
    if (!name.empty() && IsSeparator(name.front())) return false;
    if (name.find(L':') != std::wstring_view::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (ClimbsOut(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

CUIString EntryTargetPath(const CUIString& folder, std::wstring_view name) {
    CUIString path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += L'\\';
    path += name;
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(folder.size()) + 1, path.end(), L'/', L'\\');
    return path;
}

CUIString ParentFolder(const CUIString& path) {
    const size_t last = path.rfind(L'\\');
    return last == CUIString::npos ? path : CUIString(path.substr(0, last));
}
