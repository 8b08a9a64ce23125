// Writes that survive a full disk and a power cut: a file replaced through a temporary
// copy synced before and after its rename, and a log line appended whole or not at all.
// Each failure leaves errno set (the reason), and file_trouble.h tells it.
#pragma once

#include "support_export.h"

#include <cstddef>
#include <string>

// Writes `bytes` to `path`.new, syncs it, renames it over `path` and syncs the folder, so
// the name holds the old content or the new one, never a part. The temporary goes on failure.
KV_EXPORT bool ReplaceFileDurably(const char* path, const std::string& bytes);
// The same for a file written from pieces in order, so a large file needs no copy of its own.
struct FilePiece {
    const void* bytes;
    std::size_t size;
};
KV_EXPORT bool ReplaceFileDurably(const char* path, const FilePiece* pieces, std::size_t count);
// Appends `size` bytes to `path` (created if missing); a write cut short (a full disk) is
// cut off again, so the file never ends in a part of a line.
KV_EXPORT bool AppendWhole(const char* path, const char* bytes, std::size_t size);
