#include "rate_limit.h"


RateLimits LimitsForReportsPerSecond(std::uint32_t reportsPerSecond)
{
    const std::uint32_t rate = reportsPerSecond > kMaxReportsPerSecond ? kMaxReportsPerSecond : reportsPerSecond;
    return RateLimits{rate, 2 * rate, 20 * rate, 20 * rate};
}

void TokenBucket::Reset(std::uint32_t perSecond, std::uint32_t burst, std::uint64_t nowMs)
{
    perSecond_ = perSecond;
    capacity_ = static_cast<std::uint64_t>(burst < 1 ? 1 : burst) * kMilli;
    milliTokens_ = capacity_;
    lastMs_ = nowMs;
}

void TokenBucket::Refill(std::uint64_t nowMs)
{
    if (nowMs <= lastMs_) {
        return;  // a clock that went back adds nothing
    }
    const std::uint64_t elapsed = nowMs - lastMs_;
    lastMs_ = nowMs;
    // perSecond tokens a second are perSecond milli-tokens a millisecond. Past the time
    // a bucket takes to fill, the product is only capped (and cannot overflow).
    const std::uint64_t fillMs = capacity_ / (perSecond_ == 0 ? 1 : perSecond_) + 1;
    const std::uint64_t added = perSecond_ * (elapsed < fillMs ? elapsed : fillMs);
    milliTokens_ = capacity_ - milliTokens_ <= added ? capacity_ : milliTokens_ + added;
}

bool TokenBucket::HasToken(std::uint64_t nowMs)
{
    Refill(nowMs);
    return milliTokens_ >= kMilli;
}

bool TokenBucket::IsFull(std::uint64_t nowMs)
{
    Refill(nowMs);
    return milliTokens_ == capacity_;
}

RateLimiter::RateLimiter(const RateLimits& limits) : limits_(limits) {}

RateLimiter::Source* RateLimiter::Find(std::uint32_t source, std::uint64_t nowMs)
{
    Source* reusable = nullptr;
    for (Source& entry : sources_) {
        if (!entry.used) {
            if (reusable == nullptr) {
                reusable = &entry;
            }
        } else if (entry.address == source) {
            return &entry;
        }
    }
    if (reusable == nullptr) {
        // A full bucket tells nothing about its source: that entry can take a new one.
        for (Source& entry : sources_) {
            if (entry.bucket.IsFull(nowMs)) {
                reusable = &entry;
                break;
            }
        }
    }
    if (reusable != nullptr) {
        reusable->used = true;
        reusable->address = source;
        reusable->bucket.Reset(limits_.perSourcePerSecond, limits_.perSourceBurst, nowMs);
    }
    return reusable;
}

bool RateLimiter::Allow(std::uint32_t source, std::uint64_t nowMs)
{
    if (limits_.perSourcePerSecond == 0) {
        return true;
    }
    if (!started_) {
        total_.Reset(limits_.totalPerSecond, limits_.totalBurst, nowMs);
        started_ = true;
    }
    Source* entry = Find(source, nowMs);
    if (entry == nullptr || !entry->bucket.HasToken(nowMs) || !total_.HasToken(nowMs)) {
        return false;
    }
    entry->bucket.Take();
    total_.Take();
    return true;
}
