// What a connection to the broker came to, as a row of KELVIX's text table and the words
// that fill its %s: the dialog's test and the about dialog show it in the program's
// language, the logs (kelvixd's journal) in English, from the same row.
#pragma once

#include "kelvix_texts.h"

#include <cstdint>
#include <string>
#include <utility>

struct MqttOutcome {
    MqttOutcome() = default;
    MqttOutcome(KelvixText row, std::string fill1 = std::string(), std::string fill2 = std::string())
        : words(row), first(std::move(fill1)), second(std::move(fill2))
    {
    }

    KelvixText words = KelvixText::Count;  // Count: nothing to tell
    std::string first;                     // the row's first %s: a host, "host:port", a file, a number
    std::string second;                    // its second %s

    bool Empty() const { return words == KelvixText::Count; }
};

// The outcome in `language`. The %s take the words as they are: a host name with a % in
// it is never read as a conversion.
std::string OutcomeText(const MqttOutcome& outcome, Language language);

// The broker's CONNACK return code (1 to 5, anything else unknown) as a refusal.
MqttOutcome ConnAckRefusal(std::uint8_t code);
