#pragma once
// The framework's own native window classes, registered with the module handed over at
// start-up (and on first use, for a program that never set one).
#include <windows.h>

inline constexpr wchar_t kShadowWindowClass[] = L"UIShadowWnd";

void RegisterFrameworkWindowClasses(HINSTANCE instance);
void EnsureFrameworkWindowClasses();

LRESULT CALLBACK ShadowWindowProc(HWND, UINT, WPARAM, LPARAM);
