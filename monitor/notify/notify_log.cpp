#include "notify_log.h"

#include <cstdio>
#include <ctime>

void NotifyLogFile::Write(const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::FILE* file = std::fopen(path_.c_str(), "ab");
    if (file == nullptr) {
        return;
    }
    std::fseek(file, 0, SEEK_END);
    if (std::ftell(file) > kMaxBytes) {
        std::fclose(file);
        file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) {
            return;
        }
    }
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S", local);
    }
    std::fprintf(file, "%s %s\r\n", stamp, line.c_str());
    std::fclose(file);
}
