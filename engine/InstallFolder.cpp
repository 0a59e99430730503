#include "engine/InstallFolder.h"

#include <windows.h>

#include "engine/FolderChain.h"

namespace {

// `call` fills a buffer of the size given and returns the length written, or the size
// needed when the buffer is too small, or 0 on failure.
template <typename Call>
bool GrowingCall(Call call, std::wstring& out) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return false;
        if (length < buffer.size()) {
            buffer.resize(length);
            out.swap(buffer);
            return true;
        }
        buffer.assign(length + 1, L'\0');
    }
    return false;
}

// The system's spelling of an existing path: full, long form. Empty when it cannot say.
std::wstring LongFullPath(const std::wstring& existing) {
    std::wstring full, longForm;
    if (!GrowingCall([&](wchar_t* b, DWORD n) { return ::GetFullPathNameW(existing.c_str(), n, b, nullptr); }, full) ||
        !GrowingCall([&](wchar_t* b, DWORD n) { return ::GetLongPathNameW(full.c_str(), b, n); }, longForm))
        return {};
    return longForm;
}

}  // namespace

FolderSpelling NormaliseInstallFolder(const std::wstring& typed) {
    FolderSpelling spelling = SpellFolderText(typed);
    if (!spelling.accepted() || !IsFolderChainPath(spelling.folder)) return spelling;

    const std::vector<std::wstring> levels = FolderChainLevels(spelling.folder);
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        if (::GetFileAttributesW(level->c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        const FolderSpelling existing = SpellFolderText(LongFullPath(*level));
        if (existing.accepted()) spelling.folder = existing.folder + spelling.folder.substr(level->size());
        break;
    }
    return spelling;
}
