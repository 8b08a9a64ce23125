#include "self_test_rows.h"

#include "kelvix_texts.h"

#include <cstdio>

namespace {

const char* KindWord(SelfTestKind kind)
{
    const unsigned index = static_cast<unsigned>(kind);
    return Text(static_cast<KelvixText>(static_cast<unsigned>(KelvixText::SelfTestKindOther) + (index <= 4 ? index : 0)));
}

const char* OutcomeWord(SelfTestOutcome outcome)
{
    const unsigned value = static_cast<unsigned>(outcome);
    if (value <= static_cast<unsigned>(SelfTestOutcome::FailedSegment)) {
        return Text(static_cast<KelvixText>(static_cast<unsigned>(KelvixText::SelfTestPassed) + value));
    }
    return Text(outcome == SelfTestOutcome::Running ? KelvixText::SelfTestRunning : KelvixText::SelfTestUnknown);
}

}  // namespace

SelfTestRows BuildSelfTestRows(const SelfTestLog& log)
{
    SelfTestRows rows;
    if (!log.read) {
        return rows;
    }
    if (!log.valid || log.count == 0) {
        std::snprintf(rows.rows[0].item, sizeof rows.rows[0].item, Text(KelvixText::SelfTestItem), 1u);
        std::snprintf(rows.rows[0].value, sizeof rows.rows[0].value, "%s",
                      Text(log.valid ? KelvixText::SelfTestNone : KelvixText::SelfTestDamaged));
        rows.count = 1;
        return rows;
    }
    for (unsigned i = 0; i < log.count && rows.count < kSelfTestRowsShown; ++i) {
        const SelfTestEntry& entry = log.entries[i];
        SelfTestRow& row = rows.rows[rows.count];
        std::snprintf(row.item, sizeof row.item, Text(KelvixText::SelfTestItem), i + 1);
        const unsigned long long hours = entry.powerOnHours;
        if (entry.lbaKnown) {
            std::snprintf(row.value, sizeof row.value, Text(KelvixText::SelfTestValueLba), KindWord(entry.kind),
                          OutcomeWord(entry.outcome), hours, static_cast<unsigned long long>(entry.firstFailingLba));
        } else {
            std::snprintf(row.value, sizeof row.value, Text(KelvixText::SelfTestValue), KindWord(entry.kind),
                          OutcomeWord(entry.outcome), hours);
        }
        ++rows.count;
    }
    return rows;
}
