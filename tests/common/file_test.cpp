// CFILE and LOGFILE: the exact bytes they leave in a file, for a fixed clock.
#include "cfile.h"
#include "logfile.h"
#include "fixed_clock.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = LOGFILE::SetClock(FixedTime); }
    void TearDown() override { LOGFILE::SetClock(previous_); }

    TempDir dir_;
    std::string path_ = dir_.File("kelvix.log");

private:
    LOGFILE::Clock previous_ = nullptr;
};

struct FormatCase {
    LF_TYPE type;
    const char* expected;
};

TEST_F(LogFileTest, LineFormatTable)
{
    const FormatCase cases[] = {
        {LF_PLAIN, "T\r\n"},
        {LF_DATE, "2004/03/05  T\r\n"},
        {LF_TIME, "07:08:09  T\r\n"},
        {LF_DATETIME, "2004/03/05 07:08:09  T\r\n"},
        {static_cast<LF_TYPE>(7), "T\r\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path_);
        LOGFILE log;
        log.FileName(path_.c_str());
        log.FormatType(c.type);
        log.Enable(true);
        EXPECT_TRUE(log.Write("T"));
        EXPECT_EQ(ReadBytes(path_), c.expected) << c.type;
    }
}

TEST_F(LogFileTest, LinesAreAppendedAndTheFileIsNotHeld)
{
    WriteBytes(path_, "old\r\n");
    LOGFILE log;
    log.FileName(path_.c_str());
    log.FormatType(LF_DATETIME);
    log.Enable(true);
    EXPECT_TRUE(log.Write("38 40"));
    // Between lines the file is free: another writer may append and even replace it.
    WriteBytes(path_, ReadBytes(path_) + "other\r\n");
    EXPECT_TRUE(log.Write("\x89\xB7\x93\x78"));  // code page 932 bytes pass unchanged
    EXPECT_EQ(ReadBytes(path_), "old\r\n2004/03/05 07:08:09  38 40\r\nother\r\n2004/03/05 07:08:09  \x89\xB7\x93\x78\r\n");
}

TEST_F(LogFileTest, NeverEnabledWritesNothing)
{
    LOGFILE log;
    log.FileName(path_.c_str());
    EXPECT_TRUE(log.Write("x"));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(LogFileTest, MissingDirectoryFailsAndStaysUsable)
{
    const std::string nowhere = dir_.File("no-such-dir/kelvix.log");
    LOGFILE log;
    log.FileName(nowhere.c_str());
    log.Enable(true);
    EXPECT_FALSE(log.Write("x"));
    EXPECT_FALSE(log.Write("x"));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    std::filesystem::create_directories(dir_.Path() / "no-such-dir");
    EXPECT_TRUE(log.Write("x"));
    EXPECT_EQ(ReadBytes(nowhere), "x\r\n");
}

TEST_F(LogFileTest, WithoutFileNameLinesGoToStandardOutput)
{
    LOGFILE log;
    log.FormatType(LF_TIME);
    log.Enable(true);
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(log.Write("to stdout"));
    EXPECT_TRUE(log.Write("again"));  // still attached after the first line
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "07:08:09  to stdout\n07:08:09  again\n");
}

TEST_F(LogFileTest, DefaultClockIsTheLocalTime)
{
    LOGFILE::SetClock(nullptr);
    LOGFILE log;
    log.FileName(path_.c_str());
    log.FormatType(LF_DATE);
    log.Enable(true);
    const std::time_t now = std::time(nullptr);
    char today[16];
    std::strftime(today, sizeof today, "%Y/%m/%d", std::localtime(&now));
    EXPECT_TRUE(log.Write("d"));
    const std::string line = ReadBytes(path_);
    // Around midnight the day may have turned between the two readings.
    if (line.compare(0, 10, today) != 0) {
        EXPECT_EQ(line.size(), 15u) << line;
    } else {
        EXPECT_EQ(line, std::string(today) + "  d\r\n");
    }
}

TEST(CFileTest, WriteTable)
{
    TempDir dir;
    const std::string path = dir.File("out.txt");
    CFILE file;
    EXPECT_FALSE(file.Write("closed"));
    ASSERT_TRUE(file.Open(path.c_str()));
    EXPECT_TRUE(file.Write("a\nb"));
    EXPECT_TRUE(file.Write("c\n"));
    EXPECT_FALSE(file.Write(nullptr));
    file.Disable();
    EXPECT_FALSE(file.Write("disabled"));
    file.Enable(true);
    EXPECT_TRUE(file.Write(""));
    file.Close();
    EXPECT_FALSE(file.Write("after close"));
    EXPECT_EQ(ReadBytes(path), "a\r\nbc\r\n");
}

TEST(CFileTest, OpenFailureKeepsTheFlag)
{
    TempDir dir;
    CFILE file;
    EXPECT_FALSE(file.Open(dir.File("missing/out.txt").c_str()));
    EXPECT_FALSE(file.Write("x"));
    // A failed open leaves no stream behind, not even standard output.
    ASSERT_TRUE(file.Open(nullptr));
    EXPECT_FALSE(file.Open(dir.File("missing/out.txt").c_str()));
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(file.Write("x"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(CFileTest, StandardOutputIsNeverClosed)
{
    CFILE file;
    ASSERT_TRUE(file.Open(nullptr));
    file.Close();
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(file.Write("still here\n"));
    file.Close();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "still here\n");
}

}  // namespace
