#pragma once
// Process-wide settings of the framework, set once at start-up by the entry point.
#include <windows.h>
#include "ui/UIString.h"

// The module whose resources hold layouts and images. Setting it also registers the
// framework's own window class (the drop shadow) with that module.
void UISetInstance(HINSTANCE instance);
HINSTANCE UIGetInstance();

// The folder consulted for layouts and images given by file name. A "\" is appended
// when the path ends in neither "\" nor "/", so both spellings end up the same.
void UISetResourcePath(const CUIString& path);
const CUIString& UIGetResourcePath();
