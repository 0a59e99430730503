#include "ui/win/NativeClasses.h"
#include "ui/UIGlobals.h"

namespace {
HINSTANCE g_registeredWith = nullptr;

void Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HCURSOR cursor) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);  // "already registered" is fine
}
}  // namespace

void RegisterFrameworkWindowClasses(HINSTANCE instance) {
    if (instance == nullptr || instance == g_registeredWith) return;
    Register(instance, kShadowWindowClass, &ShadowWindowProc, ::LoadCursorW(nullptr, IDC_ARROW));
    g_registeredWith = instance;
}

void EnsureFrameworkWindowClasses() {
    RegisterFrameworkWindowClasses(UIGetInstance());
}
