#include "base/FinalPath.h"

#include "base/Handles.h"

namespace {
FinalPathCall g_finalPathCall = ::GetFinalPathNameByHandleW;
}  // namespace

FinalPathCall SetFinalPathCall(FinalPathCall call) noexcept {
    const FinalPathCall before = g_finalPathCall;
    g_finalPathCall = call;
    return before;
}

std::wstring FinalPathOf(HANDLE object) {
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = g_finalPathCall(object, path.data(), static_cast<DWORD>(path.size()), kFlags);
    if (length >= path.size()) {  // too small: the answer is the size needed, terminator included
        path.assign(length, L'\0');
        length = g_finalPathCall(object, path.data(), static_cast<DWORD>(path.size()), kFlags);
    }
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
    return path;
}

std::wstring FinalPathOfPlace(const std::wstring& path) {
    const UniqueFile place(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return place ? FinalPathOf(place.get()) : std::wstring();
}

bool AttributesOf(HANDLE object, DWORD& attributes) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(object, FileAttributeTagInfo, &info, sizeof(info))) return false;
    attributes = info.FileAttributes;
    return true;
}

bool SameFilePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

namespace {

// One of the two path calls that answer with the size they need when it is too small.
template <typename Call>
std::wstring AskForPath(Call call) {
    std::wstring out(MAX_PATH, L'\0');
    DWORD length = call(out.data(), static_cast<DWORD>(out.size()));
    if (length >= out.size()) {
        out.assign(length, L'\0');
        length = call(out.data(), static_cast<DWORD>(out.size()));
    }
    if (length == 0 || length >= out.size()) return {};
    out.resize(length);
    return out;
}

}  // namespace

std::wstring PlainSpellingOf(const std::wstring& path) {
    const std::wstring full =
        AskForPath([&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
    if (full.empty()) return path;
    const std::wstring longForm =
        AskForPath([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(full.c_str(), buffer, size); });
    return longForm.empty() ? full : longForm;
}
