#include "range_note.h"

#include "language.h"

#include <gtest/gtest.h>

namespace {

// A saved value the spin cannot show is told with what Apply would save instead.
TEST(RangeNote, TellsASavedValueOutsideTheDialogsRange)
{
    SetProgramLanguage(Language::English);
    struct Case {
        std::uint32_t interval;
        std::uint32_t threshold;
        const char* intervalNote;
        const char* thresholdNote;
    } const cases[] = {
        {60, 45, "", ""},
        {30, 60, "", ""},  // the ends are in the range
        {5, 45, "5 s in KELVIX.INI is below the shortest interval; Apply saves 30 s", ""},
        {4000, 45, "4000 s in KELVIX.INI is above the longest interval; Apply saves 3600 s", ""},
        {60, 10, "", "10 °C in KELVIX.INI is below the lowest warning; Apply saves 20 °C"},
        {60, 75, "", "75 °C in KELVIX.INI is above the highest warning; Apply saves 60 °C"},
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.TimerMinimum = 30;
        settings.TimerMaximum = 3600;
        settings.ThresholdMinimum = 20;
        settings.ThresholdMaximum = 60;
        settings.TimerCurrent = c.interval;
        settings.ThresholdCurrent = c.threshold;
        EXPECT_EQ(IntervalNote(settings), c.intervalNote) << c.interval;
        EXPECT_EQ(ThresholdNote(settings), c.thresholdNote) << c.threshold;
    }
    Settings settings;
    settings.TimerCurrent = 5;
    SetProgramLanguage(Language::Japanese);
    EXPECT_EQ(IntervalNote(settings), "KELVIX.INI の 5 秒は最短より短いので「設定」で 30 秒にします");
}

}  // namespace
