#include "ui/UIGlobals.h"

namespace {
HINSTANCE g_instance = nullptr;
CUIString g_resourcePath;
}  // namespace

void UISetInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE UIGetInstance() {
    return g_instance ? g_instance : ::GetModuleHandleW(nullptr);
}

bool UIResourceBytes(UINT id, const wchar_t* type, std::string_view* bytes) {
    if (id == 0 || id > 0xFFFF) return false;
    HMODULE module = UIGetInstance();
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (data == nullptr) return false;
    *bytes = std::string_view(data, ::SizeofResource(module, found));
    return true;
}

void UISetResourcePath(const CUIString& path) {
    g_resourcePath = path;
    if (g_resourcePath.empty() || (g_resourcePath.back() != L'\\' && g_resourcePath.back() != L'/'))
        g_resourcePath += L'\\';
}

const CUIString& UIGetResourcePath() {
    return g_resourcePath;
}
