// tempquery's command line: hosts, port, waiting and retries, and the output chosen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class QueryOutput { Lines, Json, Check };

constexpr int kDefaultWaitMilliseconds = 2000;
constexpr int kDefaultTries = 3;
constexpr int kNoThreshold = -1;

struct QueryOptions {
    std::vector<std::string> hosts;
    std::uint16_t port = 0;
    // How long each try waits for the answer; 0 waits without limit (and tries once).
    int waitMilliseconds = kDefaultWaitMilliseconds;
    int tries = kDefaultTries;
    QueryOutput output = QueryOutput::Lines;
    int warning = kNoThreshold;   // degrees Celsius; a drive above it warns
    int critical = kNoThreshold;
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
