// Who a network service answers: a short list of IPv4 addresses and CIDR ranges, as the
// user types it ("127.0.0.0/8, 192.168.0.0/16, 203.0.113.7"). Every service of the
// program checks the sender of a request against one of these before it does anything.
#pragma once

#include "network_access_defaults.h"

#include <cstdint>

constexpr unsigned kMaxAllowedNetworks = 32;

enum class NetworkListError {
    None,
    BadAddress,      // not four decimal numbers 0 to 255 joined by dots
    BadPrefix,       // the part after "/" is not a number 0 to 32
    EmptyEntry,      // two commas in a row, or a comma at either end
    TooManyEntries,  // more than kMaxAllowedNetworks
    TooLong,         // the text does not fit kAllowedHostsSize
};

// What is wrong with a list, for the message that tells the user.
struct NetworkListProblem {
    NetworkListError error = NetworkListError::None;
    unsigned entry = 0;    // 1 for the first entry
    char text[24] = {};    // the entry as typed, cut to fit
};

class AllowedNetworks {
public:
    // Entries are separated by commas; blanks around an entry do not count. An empty
    // text is an empty list, which lets nobody in. A range whose address has bits
    // beyond its prefix ("192.168.1.7/24") means the range that holds that address.
    // On a malformed entry: false, the problem described, and the list left as it was.
    bool Parse(const char* text, NetworkListProblem* problem = nullptr);

    // address in host byte order (0x7F000001 is 127.0.0.1).
    bool Allows(std::uint32_t address) const;
    unsigned Count() const { return count_; }

private:
    struct Range {
        std::uint32_t network;
        std::uint32_t mask;
    };
    Range ranges_[kMaxAllowedNetworks]{};
    unsigned count_ = 0;
};

// The Japanese text (code page 932) that tells the user what is wrong, with the entry.
void DescribeNetworkListProblem(const NetworkListProblem& problem, char* out, unsigned size);
