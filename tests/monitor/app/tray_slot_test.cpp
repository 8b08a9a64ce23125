#include "timer_period.h"
#include "tray_slot.h"

#include <gtest/gtest.h>

namespace {

struct SlotCase {
    unsigned hottest;
    bool measuring;
    int noTrayIcon;
    unsigned threshold;
    unsigned slot;
};

TEST(SelectTrayIconSlot, Table)
{
    const SlotCase cases[] = {
        {7, true, 0, 40, 7},
        {0, true, 0, 40, 200},
        {40, true, 0, 40, 40},      // at the warning temperature: normal colours
        {41, true, 0, 40, 141},
        {99, true, 0, 40, 199},
        {1, true, 0, 0, 101},
        {41, false, 0, 40, 201},    // stopped wins over everything
        {0, false, 0, 40, 201},
        {41, false, 1, 40, 201},
        {41, true, 1, 40, 202},
        {0, true, 1, 40, 200},
        {5, true, -1, 40, 202},
        // Two digits only: 100 and hotter show 99, never a status picture.
        {100, true, 0, 40, 199},
        {101, true, 0, 40, 199},
        {102, true, 0, 40, 199},
        {103, true, 0, 40, 199},
        {255, true, 0, 40, 199},
        {120, true, 0, 150, 99},
        {150, true, 0, 150, 99},
        {151, true, 0, 150, 199},
        {120, true, 1, 40, 202},
    };
    for (const SlotCase& c : cases) {
        EXPECT_EQ(SelectTrayIconSlot(static_cast<std::uint8_t>(c.hottest), c.measuring, c.noTrayIcon, c.threshold),
            c.slot)
            << "hottest " << c.hottest << " measuring " << c.measuring << " noTrayIcon " << c.noTrayIcon
            << " threshold " << c.threshold;
    }
}

TEST(SelectTrayIconSlot, SleepingDriveShowsItsLastValueWithoutWarning)
{
    const struct {
        unsigned hottest, hottestAwake, slot;
    } cases[] = {
        {52, 35, 52},   // the sleeper is hottest: its digits, normal colours
        {52, 45, 152},  // an awake drive above 40 warns, the digits still the hottest
        {52, 0, 52},    // every drive asleep
        {35, 35, 35},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SelectTrayIconSlot(static_cast<std::uint8_t>(c.hottest), static_cast<std::uint8_t>(c.hottestAwake),
                                     true, 0, 40),
                  c.slot)
            << c.hottest << " / " << c.hottestAwake;
    }
}

TEST(SelectTrayIconSlot, EveryResultIsAValidSlot)
{
    for (unsigned hottest = 0; hottest <= 255; ++hottest) {
        for (unsigned threshold : {0u, 40u, 99u, 100u, 255u, 1000u}) {
            EXPECT_LT(SelectTrayIconSlot(static_cast<std::uint8_t>(hottest), true, 0, threshold), kIconTableSize);
        }
    }
}

// KELVIX's measurement timer, PELITO's poll timer and its reply wait.
TEST(TimerPeriodMs, AtLeastOneSecondAndNoWrap)
{
    const struct {
        std::uint32_t seconds;
        std::uint32_t ms;
    } cases[] = {
        {0, 1000},  // never a timer without pause, never a wait without limit
        {1, 1000},
        {5, 5000},
        {60, 60000},
        {3600, 3600000},
        {2147483, 2147483000u},
        {2147484, 0x7FFFFFFFu},
        {4294968, 0x7FFFFFFFu},     // would wrap to 704 ms
        {0xFFFFFFFFu, 0x7FFFFFFFu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimerPeriodMs(c.seconds), c.ms) << c.seconds << " s";
    }
}

}  // namespace
