// A module whose start-up code leaves a mark in its host process: loading it as a glyph
// file must not leave one.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        SetEnvironmentVariableA("KV_MODULE_CODE_RAN", "1");
    }
    return TRUE;
}
