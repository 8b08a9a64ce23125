#include "utf8_from_cp932.h"

#include <iconv.h>

#include <cerrno>

#include <cstring>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// One converter per call: iconv descriptors keep state and are not shared across threads.
class Converter {
public:
    Converter() : handle_(iconv_open("UTF-8", "CP932")) {}
    ~Converter()
    {
        if (Open()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Open() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return handle_; }

private:
    iconv_t handle_;
};

}  // namespace

std::string Utf8FromCp932(const char* text)
{
    std::string utf8;
    std::size_t left = std::strlen(text);
    const Converter converter;
    if (!converter.Open()) {
        // No CP932 tables: ASCII passes, the rest is marked as lost.
        for (; *text != '\0'; ++text) {
            if (static_cast<unsigned char>(*text) < 0x80) {
                utf8 += *text;
            } else {
                utf8 += kReplacement;
            }
        }
        return utf8;
    }
    char* in = const_cast<char*>(text);
    char buffer[256];
    while (left > 0) {
        char* out = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t result = iconv(converter.Handle(), &in, &left, &out, &room);
        utf8.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            utf8 += kReplacement;  // not code page 932: skip the byte
            ++in;
            --left;
        }
    }
    return utf8;
}
