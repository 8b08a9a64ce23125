// Files that refuse writes, for tests of what the programs do with settings and logs they
// cannot write. Mode bits alone do not stop an
// administrator (CI runs as root), so each platform adds what does: on Linux the
// immutable flag, on Windows a handle that shares the file for reading only.
#pragma once

#include <string>

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::string path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // True when an open for writing is refused now; a test asserts it before relying on it.
    bool Refuses() const;

private:
    std::string path_;
    bool immutable_ = false;  // Linux: the flag was set and is cleared again
    void* holder_ = nullptr;  // Windows: the handle that denies write sharing
};

// A device that accepts opens and fails every write as a full disk does.
const char* FullDevicePath();
