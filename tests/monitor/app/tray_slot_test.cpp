#include "timer_period.h"
#include "tray_slot.h"

#include <gtest/gtest.h>

namespace {

struct SlotCase {
    unsigned hottest;
    bool warning;
    bool measuring;
    int noTrayIcon;
    unsigned slot;
};

TEST(SelectTrayIconSlot, Table)
{
    const SlotCase cases[] = {
        {7, false, true, 0, 7},
        {0, false, true, 0, 200},
        {40, false, true, 0, 40},
        {41, true, true, 0, 141},
        {99, true, true, 0, 199},
        {1, true, true, 0, 101},
        {62, false, true, 0, 62},     // an NVMe drive below its own limit: normal colours
        {62, true, true, 0, 162},     // a cooler drive above its limit: the hottest in red
        {41, true, false, 0, 201},    // stopped wins over everything
        {0, false, false, 0, 201},
        {41, true, false, 1, 201},
        {41, true, true, 1, 202},
        {0, false, true, 1, 200},
        {5, false, true, -1, 202},
        // Two digits only: 100 and hotter show 99, never a status picture.
        {100, true, true, 0, 199},
        {101, true, true, 0, 199},
        {102, true, true, 0, 199},
        {103, true, true, 0, 199},
        {255, true, true, 0, 199},
        {120, false, true, 0, 99},
        {120, true, true, 1, 202},
    };
    for (const SlotCase& c : cases) {
        EXPECT_EQ(SelectTrayIconSlot(static_cast<std::uint8_t>(c.hottest), c.warning, c.measuring, c.noTrayIcon),
            c.slot)
            << "hottest " << c.hottest << " warning " << c.warning << " measuring " << c.measuring
            << " noTrayIcon " << c.noTrayIcon;
    }
}

TEST(SelectTrayIconSlot, EveryResultIsAValidSlot)
{
    for (unsigned hottest = 0; hottest <= 255; ++hottest) {
        for (bool warning : {false, true}) {
            EXPECT_LT(SelectTrayIconSlot(static_cast<std::uint8_t>(hottest), warning, true, 0), kIconTableSize);
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
