// JSON strings from report texts, and the object tempquery prints per host.
#include "json_text.h"
#include "report_json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct EscapeCase {
    const char* name;
    std::string bytes;
    std::string json;
    bool intact;
};

TEST(JsonTextTest, EscapesAndReplacesAsRfc8259Requires)
{
    const EscapeCase cases[] = {
        {"plain", "ST380011A", "\"ST380011A\"", true},
        {"empty", "", "\"\"", true},
        {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\"", true},
        {"short control escapes", "\n\r\t", "\"\\n\\r\\t\"", true},
        {"other controls", std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\"", true},
        {"NUL inside", std::string("a\0b", 3), "\"a\\u0000b\"", true},
        {"slash stays", "a/b", "\"a/b\"", true},
        {"two-byte UTF-8", "\xC3\xA9", "\"\xC3\xA9\"", true},
        {"three-byte UTF-8", "\xE6\xB8\xA9\xE5\xBA\xA6", "\"\xE6\xB8\xA9\xE5\xBA\xA6\"", true},
        {"four-byte UTF-8", "\xF0\x9F\x94\xA5", "\"\xF0\x9F\x94\xA5\"", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", "\"\xF4\x8F\xBF\xBF\"", true},
        {"code page 932 katakana (half width)", "\xB1\xB2", "\"\\ufffd\\ufffd\"", false},
        {"code page 932 kanji", "\x89\xB7\x93\x78", "\"\\ufffd\\ufffd\\ufffdx\"", false},
        {"overlong slash", "\xC0\xAF", "\"\\ufffd\\ufffd\"", false},
        {"overlong three-byte", "\xE0\x80\xAF", "\"\\ufffd\\ufffd\\ufffd\"", false},
        {"surrogate", "\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\"", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\"", false},
        {"lead byte at the end", "ab\xE6\xB8", "\"ab\\ufffd\\ufffd\"", false},
        {"lone continuation", "\x80z", "\"\\ufffdz\"", false},
        {"F5 and FF", "\xF5\xFF", "\"\\ufffd\\ufffd\"", false},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = "[";
        const bool intact = AppendJsonString(out, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(out, "[" + c.json);
        EXPECT_EQ(intact, c.intact);
    }
}

void PutDrive(std::uint8_t (&report)[kReportBytes], unsigned slot, std::uint8_t current, std::uint8_t worst,
              const char* model, const char* firmware, const char* serial)
{
    std::uint8_t* record = report + slot * 120;
    record[0] = 1;
    record[1] = current;
    record[2] = worst;
    std::memcpy(record + 8, model, std::strlen(model));
    std::memcpy(record + 72, firmware, std::strlen(firmware));
    std::memcpy(record + 88, serial, std::strlen(serial));
}

TEST(ReportJsonTest, OneObjectPerHost)
{
    std::uint8_t report[kReportBytes] = {};
    PutDrive(report, 0, 38, 45, "ST380011A", "3.06", "5JVABCDE");
    PutDrive(report, 3, 0, 0, "Maxtor \"6Y\"", "YAR4", "Y4\\A");
    PutDrive(report, 5, 7, 255, "\x83\x66\x83\x42\x83\x58\x83\x4E", "\xFF", "S");
    report[7 * 120] = 2;  // neither present nor absent: not a drive
    EXPECT_EQ(FormatReportJson("nas.local", 10008, report),
              "{\"host\":\"nas.local\",\"port\":10008,\"drives\":["
              "{\"drive\":0,\"temperature\":38,\"worst\":45,\"model\":\"ST380011A\",\"firmware\":\"3.06\","
              "\"serial\":\"5JVABCDE\"},"
              "{\"drive\":3,\"temperature\":null,\"worst\":null,\"model\":\"Maxtor \\\"6Y\\\"\","
              "\"firmware\":\"YAR4\",\"serial\":\"Y4\\\\A\"},"
              "{\"drive\":5,\"temperature\":7,\"worst\":255,"
              "\"model\":\"\\ufffdf\\ufffdB\\ufffdX\\ufffdN\",\"model_hex\":\"836683428358834e\","
              "\"firmware\":\"\\ufffd\",\"firmware_hex\":\"ff\",\"serial\":\"S\"}]}\n");

    const std::uint8_t empty[kReportBytes] = {};
    EXPECT_EQ(FormatReportJson("10.0.0.1", 1, empty), "{\"host\":\"10.0.0.1\",\"port\":1,\"drives\":[]}\n");
}

TEST(ReportJsonTest, FullWidthTextsStayInsideTheirFields)
{
    std::uint8_t report[kReportBytes] = {};
    report[15 * 120] = 1;
    std::memset(report + 15 * 120 + 8, 'M', 112);
    const std::string json = FormatReportJson("h", 2, report);
    EXPECT_EQ(json, "{\"host\":\"h\",\"port\":2,\"drives\":[{\"drive\":15,\"temperature\":null,\"worst\":null,"
                    "\"model\":\"" + std::string(64, 'M') + "\",\"firmware\":\"" + std::string(16, 'M') +
                    "\",\"serial\":\"" + std::string(32, 'M') + "\"}]}\n");
}

TEST(ReportJsonTest, FailureObjectCarriesTheReason)
{
    EXPECT_EQ(FormatFailureJson("bad\"host", 10008, "cannot find host \"bad\"host\""),
              "{\"host\":\"bad\\\"host\",\"port\":10008,\"error\":\"cannot find host \\\"bad\\\"host\\\"\"}\n");
}

} // namespace
