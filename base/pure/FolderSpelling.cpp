#include "base/pure/FolderSpelling.h"

#include "base/pure/AsciiCase.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

FolderSpelling SpellFolderText(std::wstring_view typed) {
    FolderSpelling result{std::wstring(typed), FolderRefusal::None};
    if (HasForbiddenNameCharacter(typed)) {
        result.refusal = FolderRefusal::ForbiddenCharacter;
        return result;
    }
    if (typed.size() < 2 || !IsDriveLetter(typed[0]) || typed[1] != L':' ||
        (typed.size() > 2 && !IsSeparator(typed[2]))) {
        result.refusal = FolderRefusal::NotLocal;
        return result;
    }
    std::wstring folder{UpperAscii(typed[0]), L':'};
    for (std::size_t at = 2; at < typed.size();) {
        while (at < typed.size() && IsSeparator(typed[at])) ++at;
        std::size_t end = at;
        while (end < typed.size() && !IsSeparator(typed[end])) ++end;
        const std::wstring_view part = typed.substr(at, end - at);
        if (!part.empty() && part != L".") {
            folder += L'\\';
            folder += part;
        }
        at = end;
    }
    if (folder.size() == 2) {
        result.refusal = FolderRefusal::DriveRoot;
        return result;
    }
    result.folder = std::move(folder);
    return result;
}
