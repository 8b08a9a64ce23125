#include "ws32lib.h"

#include "ws32_module.h"

namespace {

// Loading and unloading happen on the main thread only, before the server thread starts
// and after it has ended, so the count needs no lock.
Ws32Module g_module = nullptr;
std::uint32_t g_loadCount = 0;

} // namespace

std::int32_t Ws32LoadNamed(const char* libraryName)
{
    if (g_loadCount == 0) {
        // A handle left over from an attempt whose names did not all resolve: drop it
        // before loading again, so that reference is not lost.
        if (g_module != nullptr) {
            Ws32CloseModule(g_module);
            g_module = nullptr;
        }
        g_module = Ws32OpenModule(libraryName);
        if (g_module == nullptr) {
            return -1;
        }
        if (!Ws32ResolveCalls(g_module)) {
            return -1;
        }
    }
    ++g_loadCount;
    return 0;
}

std::int32_t WS32LIB_LoadDLL()
{
    return Ws32LoadNamed(kSocketLibraryName);
}

void WS32LIB_UnloadDLL()
{
    if (g_loadCount == 0) {
        return;
    }
    if (g_loadCount == 1) {
        Ws32CloseModule(g_module);
        g_module = nullptr;
    }
    --g_loadCount;
}

std::int32_t WS32LIB_IsLoadDLL()
{
    return g_loadCount != 0 ? 1 : 0;
}

std::uint32_t WS32LIB_GetLoadCount()
{
    return g_loadCount;
}

Ws32Module WS32LIB_GetDLLHandle()
{
    return g_module;
}
