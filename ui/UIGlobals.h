#pragma once
// Process-wide settings of the framework, set once at start-up by the entry point.
#include <windows.h>
#include "ui/UIString.h"

// The module whose resources hold layouts and images. The framework's own window class
// (the drop shadow) is registered with it when the first window manager or shadow needs
// it, not here: a program's first window class costs its connection to the display,
// which a program that opens no window (or not yet) does not pay for.
void UISetInstance(HINSTANCE instance);
HINSTANCE UIGetInstance();

// The folder consulted for layouts and images given by file name. A "\" is appended
// when the path ends in neither "\" nor "/", so both spellings end up the same.
void UISetResourcePath(const CUIString& path);
const CUIString& UIGetResourcePath();
