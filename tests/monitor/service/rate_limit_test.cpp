// The token buckets of the rate limit, on a clock the test moves by hand.
#include "rate_limit.h"
#include "request_gate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kA = 0xC0A80001;  // 192.168.0.1
constexpr std::uint32_t kB = 0xC0A80002;
constexpr std::uint64_t kStart = 1000000;  // any steady-clock reading

// How many of `asks` requests at one moment get an answer.
unsigned AnsweredAtOnce(RateLimiter& limiter, std::uint32_t source, std::uint64_t nowMs, unsigned asks)
{
    unsigned answered = 0;
    for (unsigned i = 0; i < asks; ++i) {
        answered += limiter.Allow(source, nowMs) ? 1 : 0;
    }
    return answered;
}

TEST(RateLimitTest, TheOneSettingGivesTheDocumentedFigures)
{
    struct Case {
        std::uint32_t setting;
        RateLimits limits;
    };
    const Case cases[] = {
        {5, {5, 10, 100, 100}},
        {1, {1, 2, 20, 20}},
        {0, {0, 0, 0, 0}},
        {1000, {1000, 2000, 20000, 20000}},
        {5000, {1000, 2000, 20000, 20000}},  // beyond the maximum: the maximum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        const RateLimits limits = LimitsForReportsPerSecond(c.setting);
        EXPECT_EQ(limits.perSourcePerSecond, c.limits.perSourcePerSecond);
        EXPECT_EQ(limits.perSourceBurst, c.limits.perSourceBurst);
        EXPECT_EQ(limits.totalPerSecond, c.limits.totalPerSecond);
        EXPECT_EQ(limits.totalBurst, c.limits.totalBurst);
    }
}

// One source on the clock: [ms after start, asks at that moment, answered].
TEST(RateLimitTest, OneSourceGetsItsBurstThenItsRate)
{
    struct Step {
        std::uint64_t atMs;
        unsigned asks;
        unsigned answered;
    };
    const Step steps[] = {
        {0, 50, 10},     // the burst of a quiet source: twice the rate
        {0, 1, 0},
        {199, 5, 0},     // 0.995 of a token
        {200, 5, 1},     // one token each fifth of a second
        {1200, 50, 5},   // a second later: five more, not a new burst
        {1200, 1, 0},
        {4200, 50, 10},  // three quiet seconds fill the bucket again, and no further
        {4200, 0, 0},
        {3000, 5, 0},    // a clock that went back gives nothing
        {4400, 5, 1},
    };
    RateLimiter limiter(LimitsForReportsPerSecond(5));
    for (const Step& step : steps) {
        SCOPED_TRACE("at " + std::to_string(step.atMs) + " ms");
        EXPECT_EQ(AnsweredAtOnce(limiter, kA, kStart + step.atMs, step.asks), step.answered);
    }
}

TEST(RateLimitTest, SourcesHaveBucketsOfTheirOwn)
{
    RateLimiter limiter(LimitsForReportsPerSecond(5));
    EXPECT_EQ(AnsweredAtOnce(limiter, kA, kStart, 1000), 10u);
    EXPECT_EQ(AnsweredAtOnce(limiter, kB, kStart, 3), 3u) << "a flood from A leaves B's bucket full";
    EXPECT_EQ(AnsweredAtOnce(limiter, kB, kStart, 100), 7u);
    EXPECT_EQ(AnsweredAtOnce(limiter, kA, kStart + 400, 100), 2u);
    EXPECT_EQ(AnsweredAtOnce(limiter, kB, kStart + 400, 100), 2u);
}

// Twenty sources with full buckets at once use up the total; a refusal by the total spends
// nothing of the source's own bucket.
TEST(RateLimitTest, AllSourcesTogetherStayUnderTheTotal)
{
    RateLimiter limiter(LimitsForReportsPerSecond(5));
    unsigned answered = 0;
    for (std::uint32_t source = 1; source <= 30; ++source) {
        answered += AnsweredAtOnce(limiter, 0x0A000000 + source, kStart, 10);
    }
    EXPECT_EQ(answered, 100u);
    EXPECT_EQ(AnsweredAtOnce(limiter, 0x0A000000 + 30, kStart, 1), 0u);
    // A tenth of a second brings 10 total tokens: source 30 still holds its whole bucket.
    EXPECT_EQ(AnsweredAtOnce(limiter, 0x0A000000 + 30, kStart + 100, 50), 10u);
    // A second later the total again caps them all at 100 (sources 1 to 10 have 5 each,
    // the untouched ones their whole bucket).
    unsigned second = 0;
    for (std::uint32_t source = 1; source <= 30; ++source) {
        second += AnsweredAtOnce(limiter, 0x0A000000 + source, kStart + 1100, 50);
    }
    EXPECT_EQ(second, 100u);
}

TEST(RateLimitTest, ZeroMeansNoLimit)
{
    RateLimiter limiter(LimitsForReportsPerSecond(0));
    EXPECT_EQ(AnsweredAtOnce(limiter, kA, kStart, 100000), 100000u);
    for (std::uint32_t source = 0; source < 2 * RateLimiter::kTrackedSources; ++source) {
        ASSERT_TRUE(limiter.Allow(source, kStart));
    }
}

// When every tracked source is busy, a newcomer waits until some bucket is full again;
// a busy source is never forgotten (that would give it a fresh burst).
TEST(RateLimitTest, AFullTableOfBusySourcesMakesANewcomerWait)
{
    RateLimiter limiter(LimitsForReportsPerSecond(1000));  // a total that does not interfere
    for (std::uint32_t source = 1; source <= RateLimiter::kTrackedSources; ++source) {
        ASSERT_EQ(AnsweredAtOnce(limiter, source, kStart, 2), 2u) << source;
    }
    const std::uint32_t newcomer = 0xCB007107;
    EXPECT_FALSE(limiter.Allow(newcomer, kStart));
    // A millisecond gives each bucket one token back: 1999 of 2000 is not full yet.
    EXPECT_FALSE(limiter.Allow(newcomer, kStart + 1));
    EXPECT_EQ(AnsweredAtOnce(limiter, 1, kStart + 1, 5000), 1999u) << "source 1 was kept, not renewed";
    // Another millisecond fills every bucket but source 1's: the newcomer takes one.
    EXPECT_EQ(AnsweredAtOnce(limiter, newcomer, kStart + 2, 10), 10u);
    EXPECT_EQ(AnsweredAtOnce(limiter, 1, kStart + 2, 10), 1u) << "source 1 kept its emptied bucket";
}

// A bucket left alone long enough is full again, to the token: after a table of sources
// that asked once, a newcomer minutes later gets an entry.
TEST(RateLimitTest, LongQuietSourcesMakeRoomForANewcomer)
{
    RateLimiter limiter(RateLimits{5, 10, 100000, 100000});
    for (std::uint32_t source = 1; source <= RateLimiter::kTrackedSources; ++source) {
        ASSERT_EQ(AnsweredAtOnce(limiter, source, kStart, 3), 3u) << source;
    }
    EXPECT_EQ(AnsweredAtOnce(limiter, 0xCB007107, kStart + 60000, 1), 1u);
}

TEST(RequestGateTest, CountsWhatItTurnsAway)
{
    AccessRules rules;
    ASSERT_TRUE(MakeAccessRules("192.168.0.0/24", 1, rules));
    RefusedRequests refused;
    RequestGate gate(rules, refused);
    EXPECT_TRUE(gate.Admits(kA));
    EXPECT_FALSE(gate.Admits(0x08080808));
    EXPECT_FALSE(gate.Admits(0x7F000001));
    unsigned answered = 0;
    for (int i = 0; i < 10; ++i) {
        answered += gate.MayAnswer(kA, kStart) ? 1 : 0;
    }
    EXPECT_EQ(answered, 2u);
    EXPECT_EQ(refused.notAllowed.load(), 2u);
    EXPECT_EQ(refused.tooOften.load(), 8u);
}

// Junk in the settings gives the default list (home networks in, nobody else), not an
// empty one and not everybody.
TEST(RequestGateTest, JunkInTheListFallsBackToTheDefault)
{
    for (const char* junk : {"junk", "10.0.0.0/33", "0.0.0.0/0,", "\xFF\xFE"}) {
        SCOPED_TRACE(junk);
        AccessRules rules;
        ASSERT_TRUE(MakeAccessRules("203.0.113.0/24", 5, rules));
        EXPECT_FALSE(MakeAccessRules(junk, 7, rules));
        EXPECT_TRUE(rules.allowed.Allows(0x7F000001));
        EXPECT_TRUE(rules.allowed.Allows(0xC0A80114));
        EXPECT_FALSE(rules.allowed.Allows(0xCB007109));
        EXPECT_FALSE(rules.allowed.Allows(0x08080808));
        EXPECT_EQ(rules.limits.perSourcePerSecond, 7u);
    }
}

} // namespace
