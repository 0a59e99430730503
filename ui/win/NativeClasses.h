#pragma once
// The framework's own native window classes, registered on first use with the module
// handed over at start-up (UISetInstance), or the program's own when none was.
#include <windows.h>

inline constexpr wchar_t kShadowWindowClass[] = L"UIShadowWnd";

void RegisterFrameworkWindowClasses(HINSTANCE instance);
void EnsureFrameworkWindowClasses();

LRESULT CALLBACK ShadowWindowProc(HWND, UINT, WPARAM, LPARAM);
