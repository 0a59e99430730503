// fx_setpayload SETUP ARCHIVE: replaces the payload ("BIN" 227) of the setup program SETUP
// (a copy: it is rewritten in place) with the bytes of ARCHIVE, in the language the
// payload already has, through the system's resource updater. Exit code 0 on success.
// The tests make another version of the client from the same setup program this way.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

BOOL CALLBACK TakeLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    std::ifstream in(std::filesystem::path(argv[2]), std::ios::binary);
    const std::string archive((std::istreambuf_iterator<char>(in)), {});
    if (!in && !in.eof()) return 3;

    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    HMODULE setup = ::LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!setup) return 4;
    ::EnumResourceLanguagesW(setup, L"BIN", MAKEINTRESOURCEW(227), TakeLanguage, reinterpret_cast<LONG_PTR>(&language));
    ::FreeLibrary(setup);

    HANDLE update = ::BeginUpdateResourceW(argv[1], FALSE);
    if (!update) return 5;
    if (!::UpdateResourceW(update, L"BIN", MAKEINTRESOURCEW(227), language, const_cast<char*>(archive.data()),
                           static_cast<DWORD>(archive.size()))) {
        ::EndUpdateResourceW(update, TRUE);
        return 6;
    }
    return ::EndUpdateResourceW(update, FALSE) ? 0 : 7;
}
