// The Windows programs export the support classes by name; nothing in the system imports
// them, and elsewhere the mark is empty.
#pragma once

#ifdef _WIN32
#define KV_EXPORT __declspec(dllexport)
#else
#define KV_EXPORT
#endif
