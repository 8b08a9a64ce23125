#include "durable_file.h"

#include <windows.h>

#include <cerrno>

namespace {

// The C library's name for the reason, as the POSIX side leaves it.
void SetErrnoFromLastError()
{
    switch (GetLastError()) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        errno = EACCES;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        break;
    default:
        errno = EIO;
        break;
    }
}

bool WriteAll(HANDLE file, const char* bytes, std::size_t size)
{
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(file, bytes, chunk, &done, nullptr) || done == 0) {
            return false;
        }
        bytes += done;
        size -= done;
    }
    return true;
}

bool WritePieces(HANDLE file, const FilePiece* pieces, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (!WriteAll(file, static_cast<const char*>(pieces[i].bytes), pieces[i].size)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReplaceFileDurably(const char* path, const std::string& bytes)
{
    const FilePiece whole{bytes.data(), bytes.size()};
    return ReplaceFileDurably(path, &whole, 1);
}

bool ReplaceFileDurably(const char* path, const FilePiece* pieces, std::size_t count)
{
    const std::string temporary = std::string(path) + ".new";
    const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SetErrnoFromLastError();
        return false;
    }
    bool done = WritePieces(file, pieces, count) && FlushFileBuffers(file);
    CloseHandle(file);
    // MOVEFILE_WRITE_THROUGH returns once the rename is on the disk.
    done = done && MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!done) {
        SetErrnoFromLastError();
        const int error = errno;
        DeleteFileA(temporary.c_str());
        errno = error;
    }
    return done;
}

bool AppendWhole(const char* path, const char* bytes, std::size_t size)
{
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SetErrnoFromLastError();
        return false;
    }
    LARGE_INTEGER end{};
    bool done = SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END) && WriteAll(file, bytes, size);
    if (!done) {
        SetErrnoFromLastError();
        const int error = errno;
        // What got in of the line comes out again.
        if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) {
            SetEndOfFile(file);
        }
        errno = error;
    }
    CloseHandle(file);
    return done;
}
