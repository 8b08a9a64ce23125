#include "drive_verdict.h"

#include "self_test_log.h"

#include <cstdio>

const char* TemperatureStateName(TemperatureState state)
{
    switch (state) {
    case TemperatureState::Normal: return "normal";
    case TemperatureState::Hot: return "hot";
    case TemperatureState::NotAnswering: return "not_answering";
    default: return "unknown";
    }
}

const char* HealthStateName(HealthState state)
{
    switch (state) {
    case HealthState::Good: return "good";
    case HealthState::Caution: return "caution";
    case HealthState::Bad: return "bad";
    default: return "unknown";
    }
}

namespace {

const char* AttributeName(std::uint8_t id)
{
    switch (id) {
    case 5: return "reallocated sectors";
    case 187: return "reported uncorrectable errors";
    case 188: return "command timeouts";
    case 197: return "current pending sectors";
    case 198: return "offline uncorrectable sectors";
    case 199: return "UDMA CRC errors";
    default: return nullptr;
    }
}

}  // namespace

std::size_t FormatHealthReason(const HealthReason& reason, char* text, std::size_t size)
{
    if (text == nullptr || size == 0) {
        return 0;
    }
    const unsigned id = reason.attributeId;
    const char* name = AttributeName(reason.attributeId);
    const unsigned long long from = reason.from;
    const unsigned long long to = reason.to;
    int n = 0;
    switch (reason.kind) {
    case HealthReasonKind::AttributeAtThreshold:
        n = std::snprintf(text, size, "attribute %u at %llu, at or below its threshold %u", id, to,
                          static_cast<unsigned>(reason.limit));
        break;
    case HealthReasonKind::DriveSaysFailing:
        n = std::snprintf(text, size, "the drive reports that it is failing");
        break;
    case HealthReasonKind::CountAboveZero:
        n = std::snprintf(text, size, "attribute %u (%s) is %llu", id, name ? name : "count", to);
        break;
    case HealthReasonKind::CountIncreased:
        if (id == 0) {
            n = std::snprintf(text, size, "media errors rose from %llu to %llu", from, to);
        } else {
            n = std::snprintf(text, size, "attribute %u (%s) rose from %llu to %llu", id,
                              name ? name : "count", from, to);
        }
        break;
    case HealthReasonKind::NvmeCriticalWarning:
        n = std::snprintf(text, size, "critical warning 0x%02llx", to);
        break;
    case HealthReasonKind::NvmePercentageUsed:
        n = std::snprintf(text, size, "%llu%% of rated life used", to);
        break;
    case HealthReasonKind::NvmeSpareLow:
        n = std::snprintf(text, size, "available spare %llu%% (threshold %u%%)", to,
                          static_cast<unsigned>(reason.limit));
        break;
    case HealthReasonKind::SelfTestFailed: {
        const char* how = SelfTestOutcomeName(static_cast<SelfTestOutcome>(reason.limit & 0xFF));
        if ((reason.limit & kSelfTestLbaKnown) != 0) {
            n = std::snprintf(text, size, "the drive's self-test failed (%s) at %llu hours, first failing LBA %llu", how,
                              from, to);
        } else {
            n = std::snprintf(text, size, "the drive's self-test failed (%s) at %llu hours", how, from);
        }
        break;
    }
    case HealthReasonKind::CountNotACount:
        n = std::snprintf(text, size, "cannot judge attribute %u (its raw value is not a count on this drive)", id);
        break;
    default:
        text[0] = '\0';
        return 0;
    }
    if (n < 0) {
        text[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(n) < size ? static_cast<std::size_t>(n) : size - 1;
}
