#pragma once
// The registry view of every key that the setup and the uninstaller open. The earlier
// release was a 32-bit program that opened its keys without a view flag, so on 64-bit
// Windows its machine keys lie in the 32-bit view (under WOW6432Node). This 64-bit build
// asks for that view by name: what either build writes, the other finds, upgrades and
// removes. A path that names WOW6432Node itself leads to the same key in this view, and
// the current user's Software keys are the same in both views.
#include <windows.h>

inline constexpr REGSAM kRegistryView = KEY_WOW64_32KEY;
