#include "mqtt_outcome.h"

std::string OutcomeText(const MqttOutcome& outcome, Language language)
{
    const std::string* const fills[] = {&outcome.first, &outcome.second};
    std::size_t filled = 0;
    std::string text;
    // Our own filling rather than printf: the rows hold only %s and %%, and no user's
    // word ever reaches a format.
    for (const char* p = Text(outcome.words, language); *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (filled < 2) {
                text += *fills[filled++];
            }
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            text += '%';
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

MqttOutcome ConnAckRefusal(std::uint8_t code)
{
    static constexpr KelvixText kRefusals[] = {
        KelvixText::MqttRefusedVersion,     KelvixText::MqttRefusedClientId, KelvixText::MqttRefusedUnavailable,
        KelvixText::MqttRefusedLogin,       KelvixText::MqttRefusedNotAuthorised,
    };
    if (code >= 1 && code <= sizeof kRefusals / sizeof kRefusals[0]) {
        return {kRefusals[code - 1]};
    }
    return {KelvixText::MqttRefusedUnknown};
}
