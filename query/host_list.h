// The hosts to ask: those named on the command line and those read from host files, in
// the order given.
#pragma once

#include "query_options.h"

#include <functional>
#include <string>
#include <vector>

constexpr std::size_t kMostHosts = 4096;

// Reads a file's bytes ("-": standard input); false when it cannot be read.
using ReadHostFile = std::function<bool(const std::string& path, std::string& text)>;

// One host per line; blank lines and everything after a '#' are skipped, and spaces, tabs
// and a CR around a host are not part of it. A line with two words, a NUL or a name longer
// than 253 bytes is an error naming the file and line.
bool ParseHostLines(const std::string& text, const std::string& source, std::vector<std::string>& hosts,
                    std::string& error);

// The command line's hosts with each host file read in at its place. False (and the
// error) when a file cannot be read or is bad, or there are no hosts or more than
// kMostHosts.
bool GatherHosts(const QueryOptions& options, const ReadHostFile& read, std::vector<std::string>& hosts,
                 std::string& error);
