#include "ui/UIGlobals.h"

namespace {
HINSTANCE g_instance = nullptr;
CUIString g_resourcePath;
}  // namespace

void UISetInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE UIGetInstance() {
    return g_instance ? g_instance : ::GetModuleHandleW(nullptr);
}

void UISetResourcePath(const CUIString& path) {
    g_resourcePath = path;
    if (g_resourcePath.empty() || (g_resourcePath.back() != L'\\' && g_resourcePath.back() != L'/'))
        g_resourcePath += L'\\';
}

const CUIString& UIGetResourcePath() {
    return g_resourcePath;
}
