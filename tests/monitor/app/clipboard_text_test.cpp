#include "clipboard_text.h"

#include <gtest/gtest.h>

#include <string>

#define DEG "\x81\x8E"

namespace {

DriveReading Drive(unsigned number, unsigned temperature, const char* model, const char* capacity, const char* mode)
{
    DriveReading reading;
    reading.driveNumber = number;
    reading.temperature = static_cast<std::uint8_t>(temperature);
    reading.model = model;
    reading.capacityText = capacity;
    reading.transferModeText = mode;
    return reading;
}

TEST(ClipboardText, EveryLineEndsWithCrLf)
{
    DriveReadings readings;
    readings.Add(Drive(0, 7, "MAXTOR 6Y080L0", "78.15GB", "UltraDMA-5"));
    readings.Add(Drive(2, 123, "ST3120026A", "120.03GB", "PIO Mode"));
    EXPECT_EQ(ClipboardText(readings),
        " 7" DEG " : MAXTOR 6Y080L0 (78.15GB UltraDMA-5)\r\n"
        "123" DEG " : ST3120026A (120.03GB PIO Mode)\r\n");
}

TEST(ClipboardText, EmptyWithoutDrives)
{
    EXPECT_EQ(ClipboardText(DriveReadings{}), "");
}

TEST(ClipboardText, StaysInsideTheBlockWithOverlongTexts)
{
    // Texts at the full width of their record fields: 138-byte lines, 16 of them would
    // run past the 2048-byte block.
    const std::string model(63, 'M');
    const std::string capacity(31, 'C');
    const std::string mode(31, 'T');
    DriveReadings readings;
    for (unsigned i = 0; i < 16; ++i) {
        readings.Add(Drive(i, 40, model.c_str(), capacity.c_str(), mode.c_str()));
    }
    const std::string text = ClipboardText(readings);
    EXPECT_LT(text.size(), kClipboardBlockSize);
    EXPECT_EQ(text.size(), 14u * 138u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

}  // namespace
