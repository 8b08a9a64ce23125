// tempquery's command line: hosts, port, waiting and retries, and the output chosen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class QueryOutput { Lines, Json, Check, Summary };

constexpr int kDefaultWaitMilliseconds = 2000;
constexpr int kDefaultTries = 3;
constexpr int kNoThreshold = -1;
constexpr int kDefaultHostsInFlight = 64;
constexpr int kMostHostsInFlight = 256;

// A file of hosts (or "-", standard input), read in where it stood among the hosts.
struct HostFile {
    std::size_t position;  // how many hosts named on the command line come before it
    std::string path;
};

struct QueryOptions {
    std::vector<std::string> hosts;    // as named on the command line
    std::vector<HostFile> hostFiles;   // -f FILE and -
    std::uint16_t port = 0;
    // How long each try waits for the answer; 0 waits without limit (and tries once).
    int waitMilliseconds = kDefaultWaitMilliseconds;
    int tries = kDefaultTries;
    QueryOutput output = QueryOutput::Lines;
    int hostsInFlight = kDefaultHostsInFlight;
    int totalMilliseconds = 0;  // for the whole run; 0: no limit
    int warning = kNoThreshold;   // degrees Celsius; a drive above it warns
    int critical = kNoThreshold;
    bool downIsCritical = false;  // --check: a host that does not answer is CRITICAL
    bool longLines = false;       // -l: the plain lines end in each drive's verdict words
    bool help = false;
};

struct ParsedOptions {
    QueryOptions options;
    std::string error;  // empty when the command line is good
    // True when --check appears anywhere, even on a bad command line: its errors then
    // follow the monitoring conventions (exit 3).
    bool checkRequested = false;
};

// argv[0] is the program. portVariable is the value of KELVIX_QUERY_PORT or null; -p wins
// over it.
ParsedOptions ParseQueryOptions(int argc, const char* const* argv, const char* portVariable);

// The help text, ending in a newline.
const char* QueryUsage();
