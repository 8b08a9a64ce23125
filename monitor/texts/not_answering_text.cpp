#include "not_answering_text.h"

#include "kelvix_texts.h"

#include <cstdio>
#include <ctime>

std::string NotAnsweringText(std::int64_t sinceSecondsUtc)
{
    char clock[8] = "--:--";
    const std::time_t since = static_cast<std::time_t>(sinceSecondsUtc);
    // Only the main thread words drives, so localtime's shared buffer is safe here.
    const std::tm* local = sinceSecondsUtc != 0 ? std::localtime(&since) : nullptr;
    if (local != nullptr) {
        std::snprintf(clock, sizeof clock, "%02d:%02d", local->tm_hour % 24, local->tm_min % 60);
    }
    char text[96];
    std::snprintf(text, sizeof text, Text(KelvixText::NotAnsweringSince), clock);
    return text;
}
