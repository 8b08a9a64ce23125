// Allowed-hosts text as a user or a damaged INI file may hold it. Whatever arrives: a
// rejected list leaves the old one, the problem's quote is terminated printable ASCII, the
// message fits, and an accepted list lets in what its own first entry names.
#include "allowed_networks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    AllowedNetworks allowed;
    if (!allowed.Parse("198.51.100.0/24")) {
        std::abort();
    }
    NetworkListProblem problem;
    if (!allowed.Parse(text.c_str(), &problem)) {
        if (problem.error == NetworkListError::None || allowed.Count() != 1 || !allowed.Allows(0xC6336405)) {
            std::abort();
        }
        const std::size_t quoted = strnlen(problem.text, sizeof problem.text);
        if (quoted == sizeof problem.text) {
            std::abort();
        }
        for (std::size_t i = 0; i < quoted; ++i) {
            if (problem.text[i] < 0x20 || problem.text[i] > 0x7E) {
                std::abort();
            }
        }
        char message[256];
        DescribeNetworkListProblem(problem, message, sizeof message);
        if (strnlen(message, sizeof message) == sizeof message) {
            std::abort();
        }
        return 0;
    }
    if (allowed.Count() > kMaxAllowedNetworks) {
        std::abort();
    }
    // The first entry's address (up to "/" or ","), read again here, is let in.
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && text.find('\0') == std::string::npos) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (std::sscanf(text.c_str() + start, "%u.%u.%u.%u", &a, &b, &c, &d) == 4 &&
            !allowed.Allows((a << 24) | (b << 16) | (c << 8) | d)) {
            std::abort();
        }
    }
    return 0;
}
