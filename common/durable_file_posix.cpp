#include "durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool WriteAll(int descriptor, const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = write(descriptor, bytes, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        bytes += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

bool WritePieces(int descriptor, const FilePiece* pieces, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (!WriteAll(descriptor, static_cast<const char*>(pieces[i].bytes), pieces[i].size)) {
            return false;
        }
    }
    return true;
}

// The folder entry of a rename is on disk only once the folder itself is synced.
bool SyncFolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = fsync(descriptor) == 0;
    const int error = errno;
    close(descriptor);
    errno = error;
    return synced;
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
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return false;
    }
    bool done = WritePieces(descriptor, pieces, count) && fsync(descriptor) == 0;
    int error = errno;
    if (close(descriptor) != 0 && done) {
        done = false;
        error = errno;
    }
    if (done && rename(temporary.c_str(), path) != 0) {
        done = false;
        error = errno;
    }
    if (!done) {
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    return SyncFolderOf(path);
}

bool AppendWhole(const char* path, const char* bytes, std::size_t size)
{
    const int descriptor = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return false;
    }
    struct stat before {};
    const bool known = fstat(descriptor, &before) == 0;
    bool done = known && WriteAll(descriptor, bytes, size);
    int error = errno;
    // What got in of the line comes out again (a regular file only: /dev/full has no length).
    if (!done && known && S_ISREG(before.st_mode)) {
        const int cut = ftruncate(descriptor, before.st_size);
        static_cast<void>(cut);  // nothing more to do if even that fails
    }
    if (close(descriptor) != 0 && done) {
        done = false;
        error = errno;
    }
    errno = error;
    return done;
}
