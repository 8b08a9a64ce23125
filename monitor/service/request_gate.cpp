#include "request_gate.h"

#include "kelvix_texts.h"

#include <chrono>
#include <cstdio>

AccessRules::AccessRules() : limits(LimitsForReportsPerSecond(kDefaultReportsPerSecond))
{
    allowed.Parse(kDefaultAllowedHosts);
}

bool MakeAccessRules(const char* allowedHosts, std::uint32_t reportsPerSecond, AccessRules& rules)
{
    rules.limits = LimitsForReportsPerSecond(reportsPerSecond);
    if (rules.allowed.Parse(allowedHosts)) {
        return true;
    }
    rules.allowed.Parse(kDefaultAllowedHosts);
    return false;
}

RequestGate::RequestGate(const AccessRules& rules, RefusedRequests& refused)
    : allowed_(rules.allowed), limiter_(rules.limits), refused_(refused)
{
}

bool RequestGate::Admits(std::uint32_t source)
{
    if (allowed_.Allows(source)) {
        return true;
    }
    refused_.notAllowed.fetch_add(1, std::memory_order_relaxed);
    return false;
}

bool RequestGate::MayAnswer(std::uint32_t source, std::uint64_t nowMs)
{
    if (limiter_.Allow(source, nowMs)) {
        return true;
    }
    refused_.tooOften.fetch_add(1, std::memory_order_relaxed);
    return false;
}

std::uint64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void DescribeRefusedRequests(unsigned long notAllowed, unsigned long tooOften, char* out, unsigned size)
{
    std::snprintf(out, size, Text(KelvixText::AboutRefused), notAllowed, tooOften);
}
