#include "allowed_networks.h"

#include "kelvix_texts.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal number of at most three digits without a leading zero ("0" itself is fine):
// "010" reads as 8 to some address parsers and as 10 to others, so it means nothing here.
bool ReadSmallNumber(const char*& at, const char* end, unsigned maximum, unsigned& value)
{
    const char* start = at;
    value = 0;
    while (at < end && IsDigit(*at) && at - start < 3) {
        value = value * 10 + static_cast<unsigned>(*at - '0');
        ++at;
    }
    const long digits = at - start;
    if (digits == 0 || (at < end && IsDigit(*at)) || (digits > 1 && *start == '0')) {
        return false;
    }
    return value <= maximum;
}

bool ReadAddress(const char*& at, const char* end, std::uint32_t& address)
{
    address = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (at >= end || *at != '.') {
                return false;
            }
            ++at;
        }
        unsigned value = 0;
        if (!ReadSmallNumber(at, end, 255, value)) {
            return false;
        }
        address = (address << 8) | value;
    }
    return true;
}

NetworkListError ParseEntry(const char* begin, const char* end, std::uint32_t& network, std::uint32_t& mask)
{
    if (begin == end) {
        return NetworkListError::EmptyEntry;
    }
    const char* at = begin;
    std::uint32_t address = 0;
    if (!ReadAddress(at, end, address)) {
        return NetworkListError::BadAddress;
    }
    unsigned prefix = 32;
    if (at < end && *at == '/') {
        ++at;
        if (!ReadSmallNumber(at, end, 32, prefix) || at != end) {
            return NetworkListError::BadPrefix;
        }
    } else if (at != end) {
        return NetworkListError::BadAddress;
    }
    mask = prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
    network = address & mask;
    return NetworkListError::None;
}

void Describe(NetworkListProblem* problem, NetworkListError error, unsigned entry, const char* begin, const char* end)
{
    if (problem == nullptr) {
        return;
    }
    problem->error = error;
    problem->entry = entry;
    const std::size_t room = sizeof problem->text - 1;
    const std::size_t length = static_cast<std::size_t>(end - begin) < room ? static_cast<std::size_t>(end - begin) : room;
    // Only ASCII goes into the message: a cut could split a double-byte character.
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(begin[i]);
        problem->text[i] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    problem->text[length] = '\0';
}

} // namespace

bool AllowedNetworks::Parse(const char* text, NetworkListProblem* problem)
{
    if (problem != nullptr) {
        *problem = NetworkListProblem{};
    }
    const std::size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length >= kAllowedHostsSize) {
        Describe(problem, NetworkListError::TooLong, 0, text, text);
        return false;
    }
    const char* at = text;
    const char* const end = text + length;
    while (at < end && IsBlank(*at)) {
        ++at;
    }
    Range parsed[kMaxAllowedNetworks];
    unsigned count = 0;
    if (at == end) {
        count_ = 0;
        return true;
    }
    for (unsigned entry = 1;; ++entry) {
        const char* comma = at;
        while (comma < end && *comma != ',') {
            ++comma;
        }
        const char* begin = at;
        const char* last = comma;
        while (begin < last && IsBlank(*begin)) {
            ++begin;
        }
        while (last > begin && IsBlank(last[-1])) {
            --last;
        }
        if (count == kMaxAllowedNetworks) {
            Describe(problem, NetworkListError::TooManyEntries, entry, begin, last);
            return false;
        }
        const NetworkListError error = ParseEntry(begin, last, parsed[count].network, parsed[count].mask);
        if (error != NetworkListError::None) {
            Describe(problem, error, entry, begin, last);
            return false;
        }
        ++count;
        if (comma == end) {
            break;
        }
        at = comma + 1;
    }
    std::memcpy(ranges_, parsed, count * sizeof parsed[0]);
    count_ = count;
    return true;
}

bool AllowedNetworks::Allows(std::uint32_t address) const
{
    for (unsigned i = 0; i < count_; ++i) {
        if ((address & ranges_[i].mask) == ranges_[i].network) {
            return true;
        }
    }
    return false;
}

void DescribeNetworkListProblem(const NetworkListProblem& problem, char* out, unsigned size)
{
    if (size == 0) {
        return;
    }
    switch (problem.error) {
    case NetworkListError::None:
        out[0] = '\0';
        return;
    case NetworkListError::BadAddress:
        std::snprintf(out, size, Text(KelvixText::HostsBadAddress),
                      problem.entry, problem.text);
        return;
    case NetworkListError::BadPrefix:
        std::snprintf(out, size, Text(KelvixText::HostsBadPrefix),
                      problem.entry, problem.text);
        return;
    case NetworkListError::EmptyEntry:
        std::snprintf(out, size, Text(KelvixText::HostsEmptyEntry),
                      problem.entry);
        return;
    case NetworkListError::TooManyEntries:
        std::snprintf(out, size, Text(KelvixText::HostsTooMany), kMaxAllowedNetworks);
        return;
    case NetworkListError::TooLong:
        std::snprintf(out, size, Text(KelvixText::HostsTooLong), kAllowedHostsSize - 1);
        return;
    }
    out[0] = '\0';
}
