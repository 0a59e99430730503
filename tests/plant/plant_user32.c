/* A program that uses windows but never version.dll: under Wine a planted version.dll is
   loaded for it all the same, because Wine's user32.dll imports version.dll. */
#include <windows.h>

int wmain(void) { return GetSystemMetrics(SM_CXSCREEN) >= 0 ? 0 : 1; }
