/* The control for the planting test: imports version.dll the ordinary way and loads each
   name given on the command line by bare name, as a program that does not restrict the
   search path would. With the planted libraries beside it (and Wine told to prefer them),
   every marker must appear; otherwise the test could not see a planted library at all. */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) LoadLibraryW(argv[i]);
    /* Never called (the planted library has no such function); the reference alone makes
       the loader bind version.dll before the program starts. */
    if (argc == 0) {
        DWORD handle = 0;
        GetFileVersionInfoSizeW(L"kernel32.dll", &handle);
    }
    return 0;
}
