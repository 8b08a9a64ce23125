#include "host_list.h"

#include "dotted_address.h"

namespace {

constexpr std::size_t kLongestHostName = 253;

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool ParsePort(const std::string& text, std::uint16_t& port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = std::stoul(text);
    if (value < 1 || value > 65535) {
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

bool ParseHostLines(const std::string& text, const std::string& source, std::vector<std::string>& hosts,
                    std::string& error)
{
    std::size_t start = 0;
    for (unsigned line = 1; start < text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string host = text.substr(start, end - start);
        start = end + 1;
        host = host.substr(0, host.find('#'));
        const std::size_t first = host.find_first_not_of(" \t\r");
        if (first == std::string::npos) {
            continue;
        }
        host = host.substr(first, host.find_last_not_of(" \t\r") + 1 - first);
        const std::string where = source + " line " + std::to_string(line);
        for (const char c : host) {
            if (Blank(c) || c == '\0') {
                error = where + " holds more than one host name";
                return false;
            }
        }
        if (host.size() > kLongestHostName) {
            error = where + " holds a host name longer than 253 bytes";
            return false;
        }
        hosts.push_back(host);
    }
    return true;
}

bool SplitHostPort(const std::string& entry, std::uint16_t defaultPort, std::string& host, std::uint16_t& port)
{
    host = entry;
    port = defaultPort;
    std::size_t colon = std::string::npos;
    if (!entry.empty() && entry[0] == '[') {
        const std::size_t close = entry.find(']');
        if (close == std::string::npos) {
            return true;  // a name that is not found
        }
        host = entry.substr(1, close - 1);
        if (close + 1 == entry.size()) {
            return true;
        }
        if (entry[close + 1] != ':') {
            host = entry;
            return true;
        }
        colon = close + 1;
    } else if (entry.find(':') == entry.rfind(':')) {
        colon = entry.find(':');  // one colon: host and port; more: an IPv6 address
        if (colon == std::string::npos) {
            return true;
        }
        host = entry.substr(0, colon);
    } else {
        return true;
    }
    return ParsePort(entry.substr(colon + 1), port);
}

bool ExpandHostEntry(const std::string& entry, std::vector<std::string>& hosts, std::string& error)
{
    std::string host;
    std::uint16_t port = 0;
    if (!SplitHostPort(entry, 1, host, port)) {
        error = "\"" + entry + "\" has a port that is not 1 to 65535";
        return false;
    }
    const std::size_t slash = host.find('/');
    if (slash == std::string::npos) {
        hosts.push_back(entry);
        return true;
    }
    const std::string portText = host.size() == entry.size() ? std::string() : entry.substr(host.size());
    std::uint8_t octets[4];
    const std::string bits = host.substr(slash + 1);
    if (!ParseDottedIPv4(host.substr(0, slash).c_str(), octets) || bits.empty() || bits.size() > 2 ||
        bits.find_first_not_of("0123456789") != std::string::npos || std::stoul(bits) > 32) {
        error = "\"" + entry + "\" is not an IPv4 range such as 192.168.1.0/28";
        return false;
    }
    const unsigned prefix = static_cast<unsigned>(std::stoul(bits));
    const std::uint64_t size = std::uint64_t(1) << (32 - prefix);
    if (size > kMostRangeAddresses) {
        error = "\"" + entry + "\" stands for " + std::to_string(size) + " addresses, more than " +
                std::to_string(kMostRangeAddresses) + " (a /22)";
        return false;
    }
    const std::uint32_t address = std::uint32_t(octets[0]) << 24 | std::uint32_t(octets[1]) << 16 |
                                  std::uint32_t(octets[2]) << 8 | octets[3];
    const std::uint32_t first = address & ~static_cast<std::uint32_t>(size - 1);
    // Below a /31 the lowest and highest addresses are the network's own and its broadcast.
    const std::uint32_t skip = size > 2 ? 1 : 0;
    for (std::uint64_t n = skip; n < size - skip; ++n) {
        const std::uint32_t a = first + static_cast<std::uint32_t>(n);
        hosts.push_back(std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 255) + "." +
                        std::to_string(a >> 8 & 255) + "." + std::to_string(a & 255) + portText);
    }
    return true;
}

bool GatherHosts(const QueryOptions& options, const ReadHostFile& read, std::vector<std::string>& hosts,
                 std::string& error)
{
    hosts.clear();
    std::size_t named = 0;
    const auto takeNamed = [&](std::size_t upTo) {
        for (; named < upTo && named < options.hosts.size(); ++named) {
            hosts.push_back(options.hosts[named]);
        }
    };
    for (const HostFile& file : options.hostFiles) {
        takeNamed(file.position);
        const std::string source = file.path == "-" ? "standard input" : "host file \"" + file.path + "\"";
        std::string text;
        if (!read(file.path, text)) {
            error = "cannot read " + source;
            return false;
        }
        if (!ParseHostLines(text, source, hosts, error)) {
            return false;
        }
    }
    takeNamed(options.hosts.size());
    std::vector<std::string> entries;
    entries.swap(hosts);
    for (const std::string& entry : entries) {
        if (!ExpandHostEntry(entry, hosts, error)) {
            return false;
        }
        if (hosts.size() > kMostHosts) {
            break;
        }
    }
    if (hosts.empty()) {
        error = "no host given";
        return false;
    }
    if (hosts.size() > kMostHosts) {
        error = std::to_string(hosts.size()) + " hosts, more than " + std::to_string(kMostHosts);
        return false;
    }
    return true;
}
