// The hosts to ask: those named on the command line and those read from host files, in
// the order given.
#pragma once

#include "query_options.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr std::size_t kMostHosts = 4096;
// The most addresses one range may stand for: a /22.
constexpr std::size_t kMostRangeAddresses = 1024;

// Reads a file's bytes ("-": standard input); false when it cannot be read.
using ReadHostFile = std::function<bool(const std::string& path, std::string& text)>;

// One host per line; blank lines and everything after a '#' are skipped, and spaces, tabs
// and a CR around a host are not part of it. A line with two words, a NUL or a name longer
// than 253 bytes is an error naming the file and line.
bool ParseHostLines(const std::string& text, const std::string& source, std::vector<std::string>& hosts,
                    std::string& error);

// "nas:10010" is the host nas on port 10008's stead, "[::1]:10010" an IPv6 address with
// a port; a host without one ("nas", "::1") is on defaultPort. False for a port that is
// not 1 to 65535.
bool SplitHostPort(const std::string& entry, std::uint16_t defaultPort, std::string& host, std::uint16_t& port);

// One entry of a host list as the hosts it names: an IPv4 range "192.168.1.0/28" (with
// or without ":port") as each of its addresses, without the network and broadcast
// addresses below a /31; anything else as it is. False for a bad port or prefix, or a
// range of more than kMostRangeAddresses addresses.
bool ExpandHostEntry(const std::string& entry, std::vector<std::string>& hosts, std::string& error);

// The command line's hosts with each host file read in at its place, each entry
// expanded. False (and the error) when a file cannot be read or is bad, an entry is bad,
// or there are no hosts or more than kMostHosts.
bool GatherHosts(const QueryOptions& options, const ReadHostFile& read, std::vector<std::string>& hosts,
                 std::string& error);
