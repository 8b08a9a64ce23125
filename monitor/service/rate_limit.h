// How often a network service may answer: a token bucket per source address and one
// for all answers together, so that nobody, not even an allowed network, can turn the
// service into a flood. Time comes in as an argument (milliseconds of a steady clock),
// which keeps the arithmetic testable.
#pragma once

#include "network_access_defaults.h"

#include <cstdint>

struct RateLimits {
    std::uint32_t perSourcePerSecond;  // 0: no limit at all, neither per source nor in total
    std::uint32_t perSourceBurst;      // answers a quiet source may get at once
    std::uint32_t totalPerSecond;
    std::uint32_t totalBurst;
};

// The figures that follow from the one setting: a source may ask twice its rate at once
// after a quiet moment; all sources together get twenty times the rate of one.
RateLimits LimitsForReportsPerSecond(std::uint32_t reportsPerSecond);

class TokenBucket {
public:
    // Full, holding burst tokens, refilled at perSecond tokens a second.
    void Reset(std::uint32_t perSecond, std::uint32_t burst, std::uint64_t nowMs);
    bool HasToken(std::uint64_t nowMs);
    // Call only after HasToken said yes at the same time.
    void Take() { milliTokens_ -= kMilli; }
    bool IsFull(std::uint64_t nowMs);

private:
    static constexpr std::uint64_t kMilli = 1000;
    void Refill(std::uint64_t nowMs);

    std::uint64_t milliTokens_ = 0;
    std::uint64_t capacity_ = 0;
    std::uint64_t perSecond_ = 0;
    std::uint64_t lastMs_ = 0;
};

class RateLimiter {
public:
    // Sources followed at once. When every one of them asked within the last moments
    // (their buckets are not full again), a new source waits: forgetting a busy source
    // would hand it a fresh bucket. The total bucket bounds everything either way.
    static constexpr unsigned kTrackedSources = 256;

    explicit RateLimiter(const RateLimits& limits = LimitsForReportsPerSecond(kDefaultReportsPerSecond));

    // True when one more answer may go to source (an IPv4 address) now, and counts it.
    bool Allow(std::uint32_t source, std::uint64_t nowMs);

private:
    struct Source {
        std::uint32_t address;
        bool used;
        TokenBucket bucket;
    };
    Source* Find(std::uint32_t source, std::uint64_t nowMs);

    RateLimits limits_;
    TokenBucket total_;
    bool started_ = false;
    Source sources_[kTrackedSources]{};
};
