#include "engine/PayloadResource.h"

#include "engine/ResStrings.h"

namespace {
constexpr UINT kPayloadId = 227;
constexpr UINT kStringOpenPayloadFailed = 137;

CUIString ModulePath(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
    return CUIString(path, length < MAX_PATH ? length : 0);
}
}  // namespace

PayloadBytes LoadOwnPayload(HINSTANCE instance) {
    HRSRC resource = ::FindResourceW(nullptr, MAKEINTRESOURCEW(kPayloadId), L"BIN");
    HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        throw FormatText(instance, kStringOpenPayloadFailed, L"Fail to load resource from {file}",
                         L"{file}", ModulePath(instance));
    return PayloadBytes(static_cast<const std::uint8_t*>(bytes), ::SizeofResource(nullptr, resource));
}
