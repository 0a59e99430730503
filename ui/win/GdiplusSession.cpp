#include "ui/win/GdiplusSession.h"
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

bool EnsureGdiplus() {
    static const bool started = [] {
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}
