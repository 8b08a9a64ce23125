#include "unwritable_files.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

bool SetImmutable(const std::string& path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = false;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(std::string path) : path_(std::move(path))
{
    ::chmod(path_.c_str(), 0444);
    if (!Refuses())
        immutable_ = SetImmutable(path_, true);
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (immutable_)
        SetImmutable(path_, false);
    ::chmod(path_.c_str(), 0644);
}

bool ReadOnlyFile::Refuses() const
{
    std::FILE* stream = std::fopen(path_.c_str(), "r+b");
    if (stream == nullptr)
        return true;
    std::fclose(stream);
    return false;
}

const char* FullDevicePath()
{
    return "/dev/full";
}
