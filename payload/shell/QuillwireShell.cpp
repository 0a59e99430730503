// "QuillwireShell.dll" / "QuillwireShell64.dll": stand-ins for the client's shell
// extension. They export the COM server entry points and serve no class, so that
// loading them anywhere is harmless.
#include <windows.h>
#include <objbase.h>

extern "C" {
__declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return S_OK; }

__declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
