#include "range_note.h"

#include "kelvix_texts.h"

#include <cstdio>

namespace {

std::string Note(std::uint32_t saved, std::uint32_t minimum, std::uint32_t maximum, KelvixText below,
    KelvixText above)
{
    if (saved >= minimum && saved <= maximum) {
        return std::string();
    }
    const bool low = saved < minimum;
    char text[256];
    std::snprintf(text, sizeof text, Text(low ? below : above), static_cast<unsigned>(saved),
        static_cast<unsigned>(low ? minimum : maximum));
    return text;
}

}  // namespace

std::string IntervalNote(const Settings& settings)
{
    return Note(settings.TimerCurrent, settings.TimerMinimum, settings.TimerMaximum, KelvixText::NoteIntervalBelow,
        KelvixText::NoteIntervalAbove);
}

std::string ThresholdNote(const Settings& settings)
{
    return Note(settings.ThresholdCurrent, settings.ThresholdMinimum, settings.ThresholdMaximum,
        KelvixText::NoteThresholdBelow, KelvixText::NoteThresholdAbove);
}
