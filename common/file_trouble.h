// Writes of the files a program keeps (worst values, the temperature log) that failed:
// told once per file with the reason, and once more when a write to it works again, so a
// full disk is never silent and never floods. The program chooses where the words go;
// without a teller nothing is said.
#pragma once

#include "support_export.h"

// `error` is errno of the failure, 0 when the file is written again.
using FileTroubleTeller = void (*)(const char* path, int error);

KV_EXPORT void SetFileTroubleTeller(FileTroubleTeller teller);
// The outcome of one write to `path`; `error` is errno when it failed.
KV_EXPORT void NoteFileWrite(const char* path, bool written, int error);
