#pragma once
// Process-wide settings of the framework, set once at start-up by the entry point.
#include <windows.h>
#include <string_view>
#include "ui/UIString.h"

// The module whose resources hold layouts and images. The framework's own window class
// (the drop shadow) is registered with it when the first window manager or shadow needs
// it, not here: a program's first window class costs its connection to the display,
// which a program that opens no window (or not yet) does not pay for.
void UISetInstance(HINSTANCE instance);
HINSTANCE UIGetInstance();

// The bytes of resource `id` of `type` in that module, valid as long as the module is
// loaded. False when there is none, and for an id above 16 bits, which would wrap round
// to another resource.
bool UIResourceBytes(UINT id, const wchar_t* type, std::string_view* bytes);

// The folder consulted for layouts and images given by file name. A "\" is appended
// when the path ends in neither "\" nor "/", so both spellings end up the same.
void UISetResourcePath(const CUIString& path);
const CUIString& UIGetResourcePath();
