// JSON strings from report texts, and the object tempquery prints per host.
#include "json_text.h"
#include "json_validator.h"
#include "report_json.h"

#include <gtest/gtest.h>

#include <algorithm>
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
              "{\"host\":\"nas.local\",\"port\":10008,\"state\":\"answered\",\"drives\":["
              "{\"drive\":0,\"temperature\":38,\"worst\":45,\"model\":\"ST380011A\",\"firmware\":\"3.06\","
              "\"serial\":\"5JVABCDE\"},"
              "{\"drive\":3,\"temperature\":null,\"worst\":null,\"model\":\"Maxtor \\\"6Y\\\"\","
              "\"firmware\":\"YAR4\",\"serial\":\"Y4\\\\A\"},"
              "{\"drive\":5,\"temperature\":7,\"worst\":255,"
              "\"model\":\"\\ufffdf\\ufffdB\\ufffdX\\ufffdN\",\"model_hex\":\"836683428358834e\","
              "\"firmware\":\"\\ufffd\",\"firmware_hex\":\"ff\",\"serial\":\"S\"}]}\n");

    const std::uint8_t empty[kReportBytes] = {};
    EXPECT_EQ(FormatReportJson("10.0.0.1", 1, empty), "{\"host\":\"10.0.0.1\",\"port\":1,\"state\":\"answered\",\"drives\":[]}\n");
}

TEST(ReportJsonTest, FullWidthTextsStayInsideTheirFields)
{
    std::uint8_t report[kReportBytes] = {};
    report[15 * 120] = 1;
    std::memset(report + 15 * 120 + 8, 'M', 112);
    const std::string json = FormatReportJson("h", 2, report);
    EXPECT_EQ(json, "{\"host\":\"h\",\"port\":2,\"state\":\"answered\",\"drives\":[{\"drive\":15,\"temperature\":null,\"worst\":null,"
                    "\"model\":\"" + std::string(64, 'M') + "\",\"firmware\":\"" + std::string(16, 'M') +
                    "\",\"serial\":\"" + std::string(32, 'M') + "\"}]}\n");
}

TEST(ReportJsonTest, FailureObjectCarriesTheReason)
{
    EXPECT_EQ(FormatFailureJson("bad\"host", 10008, HostState::NotFound, "cannot find host \"bad\"host\""),
              "{\"host\":\"bad\\\"host\",\"port\":10008,\"state\":\"not-found\",\"error\":\"cannot find host \\\"bad\\\"host\\\"\"}\n");
}

} // namespace

namespace {

TEST(JsonValidatorTest, TellsValidFromInvalid)
{
    const std::pair<std::string, bool> cases[] = {
        {"{\"a\":[1,-2.5e3,true,false,null,\"x\"]}\n", true},
        {"\"\\u00e9\\n\"", true},
        {"\"\xE6\xB8\xA9\"", true},
        {"{\"a\":1,}", false},
        {"{\"a\" 1}", false},
        {"\"\x01\"", false},
        {"\"\\x\"", false},
        {"\"\\u12g4\"", false},
        {"\"\xC0\xAF\"", false},
        {"\"\xED\xA0\x80\"", false},
        {"\"\xF4\x90\x80\x80\"", false},
        {"\"\x83\x66\"", false},
        {"\"open", false},
        {"01", false},
        {"[1] [2]", false},
    };
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(JsonValidator::IsValid(text), valid) << text;
    }
}

// Every text of one or two bytes, and every three-byte text that starts with a lead
// byte, becomes valid JSON; and a text of well-formed UTF-8 comes back unchanged.
TEST(JsonTextTest, EveryShortTextGivesValidJson)
{
    const auto check = [](const std::string& bytes) {
        std::string out;
        const bool intact = AppendJsonString(out, bytes.data(), bytes.size());
        if (!JsonValidator::IsValid(out)) {
            ADD_FAILURE() << "invalid JSON for bytes of length " << bytes.size() << ": " << out;
            return false;
        }
        // Without escapes or replacements the text stands as it is between the quotes.
        const bool plain = bytes.find_first_of(std::string("\"\\\x7f", 3)) == std::string::npos &&
                           std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
        if (intact && plain && out != "\"" + bytes + "\"") {
            ADD_FAILURE() << "well-formed text changed: " << out;
            return false;
        }
        return true;
    };
    for (int a = 0; a < 256; ++a) {
        ASSERT_TRUE(check(std::string(1, static_cast<char>(a))));
        for (int b = 0; b < 256; ++b) {
            ASSERT_TRUE(check({static_cast<char>(a), static_cast<char>(b)}));
        }
    }
    for (int a = 0xC0; a < 256; ++a) {
        for (int b = 0x70; b < 0xD0; ++b) {
            for (int c = 0x70; c < 0xD0; ++c) {
                ASSERT_TRUE(check({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)}));
            }
        }
    }
}

} // namespace
