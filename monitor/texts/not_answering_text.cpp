#include "not_answering_text.h"

#include "civil_time.h"
#include "kelvix_texts.h"

#include <cstdio>

std::string NotAnsweringText(std::int64_t sinceSecondsUtc)
{
    char text[96];
    std::snprintf(text, sizeof text, Text(KelvixText::NotAnsweringSince), LocalClockText(sinceSecondsUtc).c_str());
    return text;
}
