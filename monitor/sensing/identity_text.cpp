#include "identity_text.h"

#include <cstring>

char* CopyIdString(char* destination, const std::uint8_t* source, std::uint16_t length)
{
    const unsigned copied = (static_cast<unsigned>(length) + 1) / 2 * 2;
    for (unsigned k = 0; k < copied; k += 2) {
        destination[k] = static_cast<char>(source[k + 1]);
        destination[k + 1] = static_cast<char>(source[k]);
    }

    // Trailing padding: spaces become NULs, back to the last real character.
    for (int i = static_cast<int>(length) - 1; i >= 1; --i) {
        if (destination[i] == ' ') {
            destination[i] = '\0';
        } else if (destination[i] != '\0') {
            break;
        }
    }

    // Leading padding: move the text to the start, unless there is nothing but spaces.
    unsigned start = 0;
    while (start < copied && destination[start] == ' ') {
        ++start;
    }
    if (start > 0 && start < copied && destination[start] != '\0') {
        const void* nul = std::memchr(destination + start, '\0', copied - start);
        const unsigned end = nul != nullptr ? static_cast<unsigned>(static_cast<const char*>(nul) - destination)
                                            : copied;
        std::memmove(destination, destination + start, end - start);
        destination[end - start] = '\0';
    }
    return destination;
}
