// The platform half of the binding: opening the library and resolving its calls.
// The reference counting that uses it is shared (ws32lib.cpp).
#pragma once

#include "ws32_types.h"

// Null when the library cannot be opened.
Ws32Module Ws32OpenModule(const char* libraryName);

// Resolves every socket call the binding knows, in its fixed order; false at the first
// name that does not resolve.
bool Ws32ResolveCalls(Ws32Module module);

void Ws32CloseModule(Ws32Module module);
