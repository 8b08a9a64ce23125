// tempquery's lines for a drive report, byte for byte.
#include "report_printer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct RecordSpec {
    unsigned slot;
    std::uint8_t present;
    std::uint8_t current;
    std::uint8_t maximum;
    std::string model;
    std::string firmware;
    std::string serial;
};

struct PrintCase {
    const char* name;
    std::vector<RecordSpec> records;
    std::size_t bytesArrived;  // the rest of the buffer stays zero, as after a short answer
    std::string expected;
};

std::string Print(const PrintCase& c)
{
    std::uint8_t full[kReportBytes] = {};
    for (const RecordSpec& r : c.records) {
        std::uint8_t* record = full + r.slot * 120;
        record[0] = r.present;
        record[1] = r.current;
        record[2] = r.maximum;
        // Copies at most the field's width: a full-width text has no NUL.
        std::memcpy(record + 8, r.model.data(), std::min<std::size_t>(r.model.size(), 64));
        std::memcpy(record + 72, r.firmware.data(), std::min<std::size_t>(r.firmware.size(), 16));
        std::memcpy(record + 88, r.serial.data(), std::min<std::size_t>(r.serial.size(), 32));
    }
    std::uint8_t received[kReportBytes] = {};
    std::memcpy(received, full, c.bytesArrived);
    return FormatDriveLines(received);
}

TEST(ReportPrinterTest, PrintsOneLinePerPresentRecord)
{
    const std::string model64(64, 'M');
    const std::string firmware16(16, 'F');
    const std::string serial32(32, 'S');
    const PrintCase cases[] = {
        {"no drive", {}, 1920, ""},
        {"empty answer", {{0, 1, 38, 45, "ST380011A", "3.06", "5JVABCDE"}}, 0, ""},
        {"slot 0 at 38 with maximum 45",
         {{0, 1, 38, 45, "ST380011A", "3.06", "5JVABCDE"}},
         1920,
         "#0  38/45 : ST380011A (3.06 5JVABCDE)\n"},
        {"slots 1 and 3, in slot order",
         {{3, 1, 40, 41, "B", "b", "2"}, {1, 1, 30, 31, "A", "a", "1"}},
         1920,
         "#1  30/31 : A (a 1)\n#3  40/41 : B (b 2)\n"},
        {"7 and 100", {{0, 1, 7, 100, "M", "F", "S"}}, 1920, "#0   7/100 : M (F S)\n"},
        {"two-digit slot and full bytes", {{12, 1, 255, 0, "M", "F", "S"}}, 1920, "#12 255/ 0 : M (F S)\n"},
        {"present other than 1 prints nothing",
         {{0, 2, 38, 45, "X", "Y", "Z"}, {1, 0xFF, 38, 45, "X", "Y", "Z"}, {2, 0, 38, 45, "X", "Y", "Z"}},
         1920,
         ""},
        {"empty strings", {{4, 1, 0, 0, "", "", ""}}, 1920, "#4   0/ 0 :  ( )\n"},
        {"short answer: records that did not arrive are absent",
         {{0, 1, 30, 31, "A", "a", "1"}, {1, 1, 32, 33, "B", "b", "2"}, {2, 1, 34, 35, "C", "c", "3"}},
         240,
         "#0  30/31 : A (a 1)\n#1  32/33 : B (b 2)\n"},
        {"answer cut inside a record's model",
         {{0, 1, 30, 31, "ABCDEF", "a", "1"}},
         11,
         "#0  30/31 : ABC ( )\n"},
        {"unterminated strings in the last record stay within their fields",
         {{15, 1, 50, 60, model64, firmware16, serial32}},
         1920,
         "#15 50/60 : " + model64 + " (" + firmware16 + " " + serial32 + ")\n"},
        {"unterminated strings in a middle record",
         {{7, 1, 50, 60, model64, firmware16, serial32}, {8, 1, 1, 2, "N", "G", "R"}},
         1920,
         "#7  50/60 : " + model64 + " (" + firmware16 + " " + serial32 + ")\n#8   1/ 2 : N (G R)\n"},
    };
    for (const PrintCase& c : cases) {
        EXPECT_EQ(Print(c), c.expected) << c.name;
    }
}

} // namespace
