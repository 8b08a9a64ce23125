// WS32LIB_: the run-time binding of the socket library. The library is loaded on the
// first successful load and freed when the last reference goes; the programs export
// these functions by name.
#pragma once

#include "ws32_types.h"

#include <cstdint>

WS32LIB_EXPORT std::int32_t WS32LIB_LoadDLL();
WS32LIB_EXPORT void WS32LIB_UnloadDLL();
WS32LIB_EXPORT std::int32_t WS32LIB_IsLoadDLL();
WS32LIB_EXPORT std::uint32_t WS32LIB_GetLoadCount();
WS32LIB_EXPORT Ws32Module WS32LIB_GetDLLHandle();

// WS32LIB_LoadDLL with another library name, so the failure paths can be exercised.
std::int32_t Ws32LoadNamed(const char* libraryName);

// The name the binding loads.
constexpr const char* kSocketLibraryName = "WSOCK32.DLL";
