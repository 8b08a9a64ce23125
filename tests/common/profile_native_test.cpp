// What only our own profile engine promises (the Windows functions are checked against
// the shared cases): bare names in the current directory, sections created by an empty
// section write, untouched lines kept as they were, and no failure on any content.
#include "profile.h"
#include "profile_document.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& path) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~CurrentDirectory() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

TEST(ProfileNative, BareFileNameIsInTheCurrentDirectory)
{
    TempDir dir;
    {
        CurrentDirectory here(dir.Path());
        EXPECT_TRUE(profile::WriteString("Sec", "Key", "v", "BARE.INI"));
        EXPECT_EQ(profile::GetInt("Sec", "Missing", 3, "BARE.INI"), 3);
    }
    EXPECT_EQ(ReadBytes(dir.File("BARE.INI")), "[Sec]\r\nKey=v\r\n");
}

TEST(ProfileNative, EmptySectionWriteCreatesTheHeader)
{
    TempDir dir;
    const std::string file = dir.File("x.ini");
    const char noKeys[2] = {'\0', '\0'};
    EXPECT_TRUE(profile::WriteSection("Worst", noKeys, file.c_str()));
    EXPECT_EQ(ReadBytes(file), "[Worst]\r\n");
    EXPECT_TRUE(profile::WriteSection("Worst", noKeys, file.c_str()));
    EXPECT_EQ(ReadBytes(file), "[Worst]\r\n");
}

struct EditCase {
    const char* name;
    const char* before;
    const char* after;  // after setting A.x=2
};

TEST(ProfileNative, UntouchedLinesStayAsTheyWere)
{
    const EditCase cases[] = {
        {"comments and blank lines", "; top\r\n\r\n[A]\r\n; about x\r\nx=1\r\n\r\n[B]\r\n",
         "; top\r\n\r\n[A]\r\n; about x\r\nx=2\r\n\r\n[B]\r\n"},
        {"new key before the blank lines", "[A]\r\ny = 1 \r\n\r\n\r\n[B]\r\n",
         "[A]\r\ny = 1 \r\nx=2\r\n\r\n\r\n[B]\r\n"},
        {"mixed line ends", "[A]\ry=1\nz=1\r\n", "[A]\r\ny=1\r\nz=1\r\nx=2\r\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[A]\r\n", "\xEF\xBB\xBF[A]\r\nx=2\r\n"},
        {"unchanged value leaves the file alone", "[A]\nx=2", "[A]\nx=2"},
    };
    TempDir dir;
    const std::string file = dir.File("x.ini");
    for (const auto& c : cases) {
        WriteBytes(file, c.before);
        EXPECT_TRUE(profile::WriteString("A", "x", "2", file.c_str())) << c.name;
        EXPECT_EQ(ReadBytes(file), c.after) << c.name;
    }
}

TEST(ProfileNative, AnyContentIsSurvived)
{
    static const char kWithNuls[] = "[A]\0x=1\0\r\nx\0=2";
    std::string binary;
    for (int i = 0; i < 512; ++i) {
        binary += static_cast<char>((i * 37) & 0xFF);
    }
    const std::string cases[] = {
        binary,
        std::string(100000, 'k') + "=" + std::string(100000, 'v'),
        std::string(kWithNuls, sizeof kWithNuls - 1),
        "[",
        "]",
        "[]",
        "=",
        "[A]\r\n=\r\n==\r\n[A\r\n]A[\r\n",
        std::string(1000, '\r') + std::string(1000, '\n'),
        "\x81",
        "[\x81]\r\n\x81=\x81",
    };
    TempDir dir;
    const std::string file = dir.File("x.ini");
    for (const auto& content : cases) {
        WriteBytes(file, content);
        char buffer[64];
        profile::GetString("A", "x", "d", buffer, sizeof buffer, file.c_str());
        profile::GetString(nullptr, nullptr, "d", buffer, sizeof buffer, file.c_str());
        profile::GetString("A", nullptr, "d", buffer, 3, file.c_str());
        profile::GetInt("A", "x", 1, file.c_str());
        EXPECT_TRUE(profile::WriteString("A", "x", "written", file.c_str()));
        EXPECT_STREQ((profile::GetString("A", "x", "d", buffer, sizeof buffer, file.c_str()), buffer), "written");
        EXPECT_TRUE(profile::WriteString("A", nullptr, nullptr, file.c_str()));
        EXPECT_STREQ((profile::GetString("A", "x", "d", buffer, sizeof buffer, file.c_str()), buffer), "d");
    }
}

TEST(ProfileNative, DocumentRoundTripEndsLinesInCrLf)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\r\n\r\nb", "a\r\n\r\nb\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},  // LF then CR: two line ends
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileDocument(c.in).Bytes(), c.out) << c.in;
    }
}

}  // namespace

// A write that runs out of space (here: a file-size limit far below the file) must fail
// and leave every other key in the file as it was.
TEST(ProfileNative, FailedWriteKeepsTheWholeFile)
{
    TempDir dir;
    const std::string file = dir.File("FULL.INI");
    ASSERT_TRUE(profile::WriteString("Worst", "DRIVE A", "0x2d", file.c_str()));
    ASSERT_TRUE(profile::WriteString("Common", "LogFile", "KELVIX.LOG", file.c_str()));
    const std::string before = ReadBytes(file);

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {20, 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = profile::WriteString("Worst", "DRIVE B", "0x30", file.c_str());
        _exit(written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reported success";
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_FALSE(std::filesystem::exists(file + ".new"));
}
