// Profile file behaviour, run twice: natively against our engine and, in the Windows
// build under Wine, against the platform's own profile functions. Both must agree.
#include "profile.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string Get(const char* section, const char* key, const char* def = "<def>", std::uint32_t size = 256)
    {
        char buffer[256];
        const std::uint32_t count = profile::GetString(section, key, def, buffer, size, file_.c_str());
        EXPECT_EQ(count, std::string(buffer).size());
        return buffer;
    }
    std::string Content() const { return ReadBytes(file_); }
    void Given(const std::string& bytes) { WriteBytes(file_, bytes); }

    TempDir dir_;
    std::string file_ = dir_.File("test.ini");
};

struct ReadCase {
    const char* name;
    const char* content;
    const char* section;
    const char* key;
    const char* expected;  // "<def>" when the default comes back
};

TEST_F(ProfileTest, ReadTable)
{
    const ReadCase cases[] = {
        {"plain", "[Sec]\r\nKey=Value\r\n", "Sec", "Key", "Value"},
        {"section case", "[Sec]\r\nKey=Value\r\n", "sEC", "Key", "Value"},
        {"key case", "[Sec]\r\nKey=Value\r\n", "Sec", "KEY", "Value"},
        {"names trimmed", "[Sec]\r\nKey=Value\r\n", "  Sec ", " Key  ", "Value"},
        {"spacing in file", "  [Sec]  \r\n\t Key \t=  Value  \t\r\n", "Sec", "Key", "Value"},
        {"inner spaces kept", "[Sec]\r\nKey=a  b\r\n", "Sec", "Key", "a  b"},
        {"LF only", "[A]\nx=1\n[Sec]\nKey=lf\n", "Sec", "Key", "lf"},
        {"CR only", "[A]\rx=1\r[Sec]\rKey=cr\r", "Sec", "Key", "cr"},
        {"no final line end", "[Sec]\r\nKey=last", "Sec", "Key", "last"},
        {"blank lines and comments", "; note\r\n\r\n[Sec]\r\n; Key=no\r\n\r\nKey=yes\r\n", "Sec", "Key", "yes"},
        {"first key wins", "[Sec]\r\nKey=one\r\nkey=two\r\n", "Sec", "Key", "one"},
        {"first section wins", "[Sec]\r\nKey=one\r\n[SEC]\r\nKey=two\r\n", "Sec", "Key", "one"},
        {"only the first section is searched", "[Sec]\r\nA=1\r\n[Sec]\r\nKey=two\r\n", "Sec", "Key", "<def>"},
        {"line without equals", "[Sec]\r\nKey\r\n", "Sec", "Key", "<def>"},
        {"empty value", "[Sec]\r\nKey=\r\n", "Sec", "Key", ""},
        {"equals in value", "[Sec]\r\nKey=a=b\r\n", "Sec", "Key", "a=b"},
        {"double quotes stripped", "[Sec]\r\nKey=\" padded \"\r\n", "Sec", "Key", " padded "},
        {"single quotes stripped", "[Sec]\r\nKey='x'\r\n", "Sec", "Key", "x"},
        {"unmatched quote kept", "[Sec]\r\nKey=\"x\r\n", "Sec", "Key", "\"x"},
        {"missing key", "[Sec]\r\nOther=1\r\n", "Sec", "Key", "<def>"},
        {"missing section", "[Other]\r\nKey=1\r\n", "Sec", "Key", "<def>"},
        {"key of another section", "[Sec]\r\n[Other]\r\nKey=1\r\n", "Sec", "Key", "<def>"},
        {"empty file", "", "Sec", "Key", "<def>"},
        {"header text after bracket", "[Sec] trailing\r\nKey=v\r\n", "Sec", "Key", "v"},
        {"header names trimmed", "[ Sec  ]\r\nKey=v\r\n", "Sec", "Key", "v"},
        {"bracket missing: a key line", "[Sec\r\nKey=v\r\n", "Sec", "Key", "<def>"},
        {"above the first header", "Key=top\r\n[Sec]\r\n", "", "Key", "top"},
        {"control-Z is white space", "[Sec]\r\nKey=v\x1a\r\n\x1a", "Sec", "Key", "v"},
        {"code page 932 text", "[Sec]\r\nKey=\x83\x65\x83\x58\x83\x67\r\n", "Sec", "Key", "\x83\x65\x83\x58\x83\x67"},
    };
    for (const auto& c : cases) {
        Given(c.content);
        EXPECT_EQ(Get(c.section, c.key), c.expected) << c.name;
    }
}

TEST_F(ProfileTest, MissingFileGivesDefaults)
{
    EXPECT_EQ(Get("Sec", "Key", "fallback"), "fallback");
    EXPECT_EQ(profile::GetInt("Sec", "Key", 42, file_.c_str()), 42);
    EXPECT_FALSE(std::filesystem::exists(file_));
}

struct DefaultCase {
    const char* def;
    const char* expected;
};

TEST_F(ProfileTest, DefaultLosesTrailingSpaces)
{
    const DefaultCase cases[] = {
        {"abc   ", "abc"},
        {"  abc", "  abc"},
        {"", ""},
        {nullptr, ""},
    };
    Given("[Sec]\r\n");
    for (const auto& c : cases) {
        EXPECT_EQ(Get("Sec", "Key", c.def), c.expected) << (c.def ? c.def : "null");
    }
}

TEST_F(ProfileTest, ValueIsCutToTheBuffer)
{
    Given("[Sec]\r\nKey=0123456789\r\n");
    EXPECT_EQ(Get("Sec", "Key", "", 8), "0123456");
    EXPECT_EQ(Get("Sec", "Key", "", 1), "");
    EXPECT_EQ(Get("Sec", "Missing", "abcdefghij", 4), "abc");
}

struct IntCase {
    const char* value;  // null: key missing
    std::int32_t expected;
};

TEST_F(ProfileTest, IntegerTable)
{
    const IntCase cases[] = {
        {"12", 12},
        {"-5", -5},
        {"+7", 7},
        {"0x1f", 31},
        {"0x0a", 10},
        {"0x000a", 10},
        {"0xffffffff", -1},
        {"4000000000", static_cast<std::int32_t>(4000000000u)},
        {"12abc", 12},
        {"  34  ", 34},
        {"abc", 0},
        {"-", 0},
        {"", 99},        // present but empty: the default
        {nullptr, 99},   // missing: the default
        {"\"56\"", 56},  // quotes go before the number is read
        {"0X1F", 0},     // only a lower-case prefix counts
        {"0b101", 5},
        {"0o17", 15},
        {"99999999999999999999", 1661992959},  // wraps at 32 bits
        {"1234567890123456789012345678901234", 1849262357},  // only 29 bytes are read
    };
    for (const auto& c : cases) {
        Given(c.value ? std::string("[Sec]\r\nKey=") + c.value + "\r\n" : std::string("[Sec]\r\n"));
        EXPECT_EQ(profile::GetInt("Sec", "Key", 99, file_.c_str()), c.expected) << (c.value ? c.value : "missing");
    }
}

TEST_F(ProfileTest, WriteCreatesFileWithCrLf)
{
    EXPECT_TRUE(profile::WriteString("Sec", "Key", "Value", file_.c_str()));
    EXPECT_EQ(Content(), "[Sec]\r\nKey=Value\r\n");
    EXPECT_TRUE(profile::WriteString("Sec", "Two", "2", file_.c_str()));
    EXPECT_TRUE(profile::WriteString("Next", "Three", "3", file_.c_str()));
    EXPECT_EQ(Content(), "[Sec]\r\nKey=Value\r\nTwo=2\r\n[Next]\r\nThree=3\r\n");
}

struct WriteCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST_F(ProfileTest, WriteTable)
{
    const WriteCase cases[] = {
        {"replace", "[A]\r\nx=1\r\ny=2\r\n", "A", "x", "9", "[A]\r\nx=9\r\ny=2\r\n"},
        {"replace keeps the file's name", "[A]\r\nKeyName=1\r\n", "a", "KEYNAME", "2", "[A]\r\nKeyName=2\r\n"},
        {"add to middle section", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "a", "z", "3", "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n"},
        {"new section at end", "[A]\r\nx=1\r\n", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"LF file gets CR LF", "[A]\nx=1\n", "A", "x", "2", "[A]\r\nx=2\r\n"},
        {"leading spaces of value dropped", "[A]\r\n", "A", "x", "  v", "[A]\r\nx=v\r\n"},
        {"odd spacing replaced", "[A]\r\n  x  =  old\r\n", "A", "x", "new", "[A]\r\nx=new\r\n"},
        {"key without equals gets one", "[A]\r\nx\r\n", "A", "x", "1", "[A]\r\nx=1\r\n"},
        {"first duplicate replaced", "[A]\r\nx=1\r\nx=2\r\n", "A", "x", "3", "[A]\r\nx=3\r\nx=2\r\n"},
        {"delete key", "[A]\r\nx=1\r\ny=2\r\n", "A", "x", nullptr, "[A]\r\ny=2\r\n"},
        {"delete section", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "a", nullptr, nullptr, "[B]\r\ny=2\r\n"},
        // Deletions take the names as given: white space around them matches nothing.
        {"delete key: spaced section", "[A]\r\nx=1\r\n", " A", "x", nullptr, "[A]\r\nx=1\r\n"},
        {"delete key: spaced key", "[A]\r\nx=1\r\n", "A", "x\t", nullptr, "[A]\r\nx=1\r\n"},
        {"delete section: spaced name", "[A]\r\nx=1\r\n", "A ", nullptr, nullptr, "[A]\r\nx=1\r\n"},
    };
    for (const auto& c : cases) {
        Given(c.before);
        EXPECT_TRUE(profile::WriteString(c.section, c.key, c.value, file_.c_str())) << c.name;
        EXPECT_EQ(Content(), c.after) << c.name;
    }
}

TEST_F(ProfileTest, WrittenValuesReadBack)
{
    Given("; settings\r\n[Common]\r\nA=1\r\n");
    const char* const values[] = {"plain", "with = sign", "\x83\x65\x83\x58\x83\x67", "0x0a"};
    for (const char* value : values) {
        EXPECT_TRUE(profile::WriteString("Common", "Key", value, file_.c_str()));
        EXPECT_EQ(Get("Common", "Key"), value);
        EXPECT_EQ(Get("Common", "A"), "1");
    }
}

TEST_F(ProfileTest, ReplaceSectionEmptiesIt)
{
    Given("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    const char noKeys[2] = {'\0', '\0'};
    EXPECT_TRUE(profile::WriteSection("a", noKeys, file_.c_str()));
    EXPECT_EQ(Content(), "[A]\r\n[B]\r\nz=3\r\n");
    EXPECT_EQ(Get("A", "x"), "<def>");

    const char entries[] = "k1=v1\0k2= v2\0";
    EXPECT_TRUE(profile::WriteSection("B", entries, file_.c_str()));
    EXPECT_EQ(Content(), "[A]\r\n[B]\r\nk1=v1\r\nk2=v2\r\n");

    // A spaced name empties nothing, and the entries join the section.
    const char more[] = "k3=v3\0";
    EXPECT_TRUE(profile::WriteSection(" B", more, file_.c_str()));
    EXPECT_EQ(Content(), "[A]\r\n[B]\r\nk1=v1\r\nk2=v2\r\nk3=v3\r\n");
}

TEST_F(ProfileTest, ValueIsCutBetweenDoubleByteCharacters)
{
    const struct {
        const char* value;
        std::uint32_t size;
        const char* expected;  // the count is size - 1 whenever the value is cut
        std::uint32_t count;
    } cases[] = {
        {"\x83\x65\x83\x58\x83\x67", 4, "\x83\x65", 3},
        {"\x83\x65\x83\x58\x83\x67", 5, "\x83\x65\x83\x58", 4},
        {"\x83\x65\x83\x58\x83\x67", 2, "", 1},
        {"a\x83\x65", 3, "a", 2},
        // Quotes are counted in characters, so this one still fits.
        {"\"\x83\x65\x83\x58\x83\x67\"", 7, "\x83\x65\x83\x58\x83\x67", 6},
    };
    for (const auto& c : cases) {
        Given(std::string("[Sec]\r\nKey=") + c.value + "\r\n");
        char buffer[16] = {};
        EXPECT_EQ(profile::GetString("Sec", "Key", "", buffer, c.size, file_.c_str()), c.count) << c.value << c.size;
        EXPECT_STREQ(buffer, c.expected) << c.value << c.size;
    }
}

TEST_F(ProfileTest, QuotedValueInAShortBuffer)
{
    Given("[A]\r\nK=\"abc\"\r\n");
    const struct {
        std::uint32_t size;
        const char* expected;
    } cases[] = {{6, "abc"}, {5, "abc"}, {4, "ab"}, {3, "ab"}, {2, "a"}, {1, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(Get("A", "K", "", c.size), c.expected) << c.size;
    }
}

std::string List(const char* section, const char* def, std::uint32_t size, const std::string& file)
{
    char buffer[64];
    const std::uint32_t count = profile::GetString(section, nullptr, def, buffer, size, file.c_str());
    return std::string(buffer, count);
}

TEST_F(ProfileTest, NameLists)
{
    Given("[A]\r\nk1=1\r\n;c=2\r\nnoeq\r\nk2=2\r\n[B]\r\n[C]\r\n");
    EXPECT_EQ(List("A", "d", 64, file_), std::string("k1\0k2\0", 6));
    EXPECT_EQ(List("B", "dd", 64, file_), "dd");
    // The key list takes the section name as given, and the default as it stands.
    EXPECT_EQ(List(" A", "d  ", 64, file_), "d  ");
    EXPECT_EQ(List("a", "d", 64, file_), std::string("k1\0k2\0", 6));
    char buffer[64];
    EXPECT_EQ(profile::GetString(nullptr, "x", "d", buffer, 64, file_.c_str()), 6u);
    EXPECT_EQ(std::string(buffer, 7), std::string("A\0B\0C\0\0", 7));
    EXPECT_EQ(profile::GetString(nullptr, "x", "d", buffer, 6, file_.c_str()), 4u);
    EXPECT_EQ(std::string(buffer, 5), std::string("A\0B\0\0", 5));
}

TEST_F(ProfileTest, MissingDirectoryRefusesWrites)
{
    const std::string nowhere = dir_.File("no-such-dir/test.ini");
    EXPECT_FALSE(profile::WriteString("Sec", "Key", "v", nowhere.c_str()));
    char buffer[16];
    profile::GetString("Sec", "Key", "def", buffer, sizeof buffer, nowhere.c_str());
    EXPECT_STREQ(buffer, "def");
    EXPECT_EQ(profile::GetInt("Sec", "Key", 5, nowhere.c_str()), 5);
}

}  // namespace
