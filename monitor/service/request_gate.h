// The door of every network service: who may be answered (AllowedNetworks) and how
// often (RateLimiter), with the count of what was turned away for the user to see.
// One gate per serving thread; the counters may be shared and read from any thread.
#pragma once

#include "allowed_networks.h"
#include "rate_limit.h"

#include <atomic>
#include <cstdint>

struct RefusedRequests {
    std::atomic<unsigned long> notAllowed{0};  // from an address outside the allowed list
    std::atomic<unsigned long> tooOften{0};    // over the rate limit
};

// What a service is told by the settings.
struct AccessRules {
    AllowedNetworks allowed;
    RateLimits limits;

    // The defaults: kDefaultAllowedHosts and kDefaultReportsPerSecond.
    AccessRules();
};

// The rules of the settings' texts. A list that does not parse (the INI file holds junk)
// gives the default list: it keeps the home network working and lets nobody else in,
// where nobody at all would silently break every client and everybody would open the
// door. False when that happened.
bool MakeAccessRules(const char* allowedHosts, std::uint32_t reportsPerSecond, AccessRules& rules);

class RequestGate {
public:
    RequestGate(const AccessRules& rules, RefusedRequests& refused);

    // Whether a request from source (host byte order) may be looked at; counts a refusal.
    bool Admits(std::uint32_t source);
    // Whether an answer may go to source now (milliseconds of a steady clock); counts a
    // refusal. Only for requests that Admits let in.
    bool MayAnswer(std::uint32_t source, std::uint64_t nowMs);

private:
    const AllowedNetworks allowed_;
    RateLimiter limiter_;
    RefusedRequests& refused_;
};

// Milliseconds of the steady clock, for MayAnswer.
std::uint64_t SteadyMilliseconds();

// The line that tells the user what the services turned away (code page 932).
void DescribeRefusedRequests(unsigned long notAllowed, unsigned long tooOften, char* out, unsigned size);
