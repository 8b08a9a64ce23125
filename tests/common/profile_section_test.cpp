// The section cache decides which sections it may answer, and where it answers, it gives
// what the engine's own key reads give on the same file.
#include "inifile.h"
#include "profile.h"
#include "profile_section.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct SectionCase {
    const char* name;
    const char* lines;  // the lines of [Sec]
    bool plain;
};

const SectionCase kSections[] = {
    {"plain keys and values", "UseLog=1\r\nLogFile=C:\\Program Files\\KELVIX.LOG\r\nForm=%d C\r\nEmpty=\r\nPort=0x2718\r\n",
     true},
    {"spacing, comments and blank lines", "  UseLog = -3 \r\n; Port=1\r\n\r\nPort=\t7\r\nX=a==b\r\n", true},
    {"no lines", "", true},
    {"integer longer than a read takes", "X=000000000000000000000000000012345\r\nPort=12abc\r\n", true},
    {"line without '='", "UseLog=1\r\nBare\r\n", false},
    {"same key in another case", "Port=1\r\nPORT=2\r\n", false},
    {"quoted value", "LogFile=\"a b\"\r\n", false},
    {"single-quoted value", "NA='x'\r\n", false},
    {"quote inside", "NA=it's\r\n", false},
    {"key with a blank", "Use Log=1\r\n", false},
    {"key with punctuation", "#UseLog=1\r\n", false},
    {"no key", "=1\r\n", false},
    {"code page 932 value", "Form=%d\x81\x8E\r\n", false},
    {"code page 932 key", "\x89\xB7\x93\x78=1\r\n", false},
    {"control character", "NA=a\tb\r\n", false},
};

const char* const kKeys[] = {"UseLog", "uselog", "LogFile", "Form", "Empty", "Port", "X", "NA", "Missing", "Use Log"};
const char* const kDefaults[] = {"def", "", nullptr, "pad ", "\"q\""};
const std::uint32_t kSizes[] = {1, 4, 260};

std::string FileText(const std::string& lines)
{
    return "[Other]\r\nPort=9\r\n[Sec]\r\n" + lines + "[Next]\r\nUseLog=5\r\n";
}

TEST(ProfileSection, AnswersPlainSectionsAsTheKeyReads)
{
    TempDir dir;
    const std::string file = dir.File("s.ini");
    for (const SectionCase& c : kSections) {
        WriteBytes(file, FileText(c.lines));
        const ProfileSection section = ProfileSection::Read("Sec", file.c_str());
        EXPECT_EQ(section.Plain(), c.plain) << c.name;
        int answered = 0;
        for (const char* key : kKeys) {
            const bool plainKey = std::strchr(key, ' ') == nullptr;
            std::int32_t number = 0;
            const bool gotNumber = section.GetInt(key, 77, &number);
            EXPECT_EQ(gotNumber, c.plain && plainKey) << c.name << ": " << key;
            if (gotNumber) {
                EXPECT_EQ(number, profile::GetInt("Sec", key, 77, file.c_str())) << c.name << ": " << key;
            }
            for (const char* def : kDefaults) {
                for (const std::uint32_t size : kSizes) {
                    char cached[260];
                    char direct[260];
                    std::memset(cached, '#', sizeof cached);
                    std::memset(direct, '#', sizeof direct);
                    if (!section.GetString(key, def, cached, size)) {
                        continue;
                    }
                    ++answered;
                    profile::GetString("Sec", key, def, direct, size, file.c_str());
                    EXPECT_EQ(std::string(cached, size), std::string(direct, size))
                        << c.name << ": " << key << " default " << (def ? def : "null") << " size " << size;
                }
            }
        }
        EXPECT_EQ(answered > 0, c.plain) << c.name;
    }
}

TEST(ProfileSection, DeclinesWhatItCannotBeSureOf)
{
    TempDir dir;
    const std::string file = dir.File("s.ini");
    WriteBytes(file, "[Two Words]\r\nA=1\r\n[127.0.0.1]\r\nA=1\r\n[Long]\r\nA=" + std::string(9000, 'x') + "\r\n");
    EXPECT_FALSE(ProfileSection::Read("Two Words", file.c_str()).Plain());
    EXPECT_TRUE(ProfileSection::Read("127.0.0.1", file.c_str()).Plain());
    EXPECT_FALSE(ProfileSection::Read("Long", file.c_str()).Plain());
    // A count of size - 2 may be a cut text.
    const char text[] = "A=1\0B=2\0";
    EXPECT_TRUE(ProfileSection(text, 8, 11).Plain());
    EXPECT_FALSE(ProfileSection(text, 8, 10).Plain());
    // A missing key with a default the key read would trim or unquote.
    char buffer[16];
    EXPECT_FALSE(ProfileSection(text, 8, 11).GetString("C", " pad", buffer, sizeof buffer));
}

TEST(ProfileSection, WritesThroughTheSameFileAreReadBack)
{
    TempDir dir;
    const std::string file = dir.File("s.ini");
    WriteBytes(file, "[Sec]\r\nPort=1\r\n");
    INIFILE ini;
    ini.Open(file.c_str());
    ini.ReadWholeSections();
    std::int32_t port = 0;
    ini.Read("Sec", "Port", std::int32_t{0}, &port);
    EXPECT_EQ(port, 1);
    ini.Write("Sec", "Port", std::int32_t{2});
    ini.Read("Sec", "Port", std::int32_t{0}, &port);
    EXPECT_EQ(port, 2);
    char text[16];
    ini.Read("Sec", "NA", "N/A", text, sizeof text);
    EXPECT_STREQ(text, "N/A");
}

}  // namespace
