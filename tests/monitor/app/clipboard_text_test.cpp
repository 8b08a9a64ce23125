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

// The same lines in UTF-16 whatever the language; plain text of their own (code page 932)
// only in Japanese: an English Windows makes it from the UTF-16.
TEST(ClipboardContent, LinesInUtf16InBothLanguages)
{
    DriveReadings readings;
    readings.Add(Drive(1, 46, "Samsung SSD 980 PRO 1TB", "1.00TB", "NVMe"));
    readings.Add(Drive(3, 7, "ST380011A", "80.02GB", "UltraDMA-5"));
    const struct {
        Language language;
        std::u16string unicode;
        const char* cp932;  // null: no CF_TEXT of its own
    } cases[] = {
        {Language::Japanese,
         u"46\u2103 : Samsung SSD 980 PRO 1TB (1.00TB NVMe)\r\n"
         u" 7\u2103 : ST380011A (80.02GB UltraDMA-5)\r\n",
         "46" DEG " : Samsung SSD 980 PRO 1TB (1.00TB NVMe)\r\n"
         " 7" DEG " : ST380011A (80.02GB UltraDMA-5)\r\n"},
        {Language::English,
         u"46\u2103 : Samsung SSD 980 PRO 1TB (1.00TB NVMe)\r\n"
         u" 7\u2103 : ST380011A (80.02GB UltraDMA-5)\r\n",
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language == Language::Japanese ? "Japanese" : "English");
        const ClipboardContent content = ClipboardContentOf(readings, c.language);
        EXPECT_EQ(content.unicode, c.unicode);
        ASSERT_EQ(content.cp932.has_value(), c.cp932 != nullptr);
        if (c.cp932 != nullptr) {
            EXPECT_EQ(*content.cp932, c.cp932);
        }
    }
}

}  // namespace
