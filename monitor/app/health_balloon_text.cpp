#include "health_balloon_text.h"

#include "kelvix_texts.h"

#include <cstdio>

namespace {

std::string Format(const char* format, unsigned long long a)
{
    char text[32];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

}  // namespace

std::string HealthReasonWords(const HealthReason& reason)
{
    return HealthReasonWords(static_cast<std::uint8_t>(reason.kind), reason.attributeId, reason.from, reason.to,
                             reason.limit);
}

BalloonContent HealthBalloonContent(const VerdictChanges& changes)
{
    BalloonContent content;
    bool anyWorse = false;
    bool anyBad = false;
    for (unsigned i = 0; i < changes.count && i < kMaxDrives; ++i) {
        const VerdictChange& change = changes.items[i];
        const DriveVerdict& verdict = change.verdict;
        std::string line = Format("#%-2llu ", change.driveNumber);
        line += HealthWord(static_cast<std::uint8_t>(verdict.health));
        if (change.worse && verdict.reasonCount > 0) {
            line += ": " + HealthReasonWords(verdict.reasons[0]);
        } else if (!change.worse) {
            line += Text(verdict.health == HealthState::Good ? KelvixText::HealthBackTo : KelvixText::HealthRecoveredTo);
        }
        // The balloon holds under 256 bytes: drives past that are left off.
        if (content.text.size() + line.size() + 1 >= 255) {
            break;
        }
        if (!content.text.empty()) {
            content.text += '\n';
        }
        content.text += line;
        anyWorse = anyWorse || change.worse;
        anyBad = anyBad || verdict.health == HealthState::Bad;
    }
    content.title = Text(anyWorse ? KelvixText::HealthWorseTitle : KelvixText::HealthBetterTitle);
    content.iconFlags = anyBad ? kBalloonIconError : anyWorse ? kBalloonIconWarning : kBalloonIconInfo;
    return content;
}
