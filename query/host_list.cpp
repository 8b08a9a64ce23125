#include "host_list.h"

namespace {

constexpr std::size_t kLongestHostName = 253;

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
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
