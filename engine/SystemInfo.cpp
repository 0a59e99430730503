#include "engine/SystemInfo.h"

#include <windows.h>
#include <vector>
#include "base/pure/ProductNames.h"
#include "base/pure/DecimalText.h"

bool GetSetupVersion(std::wstring& version) {
    version.clear();
    wchar_t path[520] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, 520);
    if (length == 0 || length >= 520) return false;  // a truncated path names another file

    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path, 0, size, block.data())) return false;

    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        info == nullptr || infoSize < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    version = DecimalText(HIWORD(info->dwFileVersionMS)) + L'.' + DecimalText(LOWORD(info->dwFileVersionMS)) + L'.' +
              DecimalText(HIWORD(info->dwFileVersionLS)) + L'.' + DecimalText(LOWORD(info->dwFileVersionLS));
    return true;
}

std::string GetSystemBitness() {
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    const WORD arch = info.wProcessorArchitecture;
    return arch == PROCESSOR_ARCHITECTURE_AMD64 || arch == PROCESSOR_ARCHITECTURE_ARM64 ||
                   arch == PROCESSOR_ARCHITECTURE_IA64
               ? "64"
               : "32";
}

const wchar_t* UninstallKeyPath() {
    return GetSystemBitness() == "64" ? kUninstallKey64 : kUninstallKey32;
}
