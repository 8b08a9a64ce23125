// Writes on a disk that fills up halfway: a file size limit (RLIMIT_FSIZE) cuts a write
// short exactly as a full disk does, without needing one.
#include "durable_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class DurableFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/durable_file_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous_), 0);
    }
    void TearDown() override
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
        std::system(("rm -rf " + folder_).c_str());
    }
    // Writes past `bytes` from now on fail as on a full disk.
    void FillAt(rlim_t bytes)
    {
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }

    std::string folder_;
    rlimit previous_{};
    void (*previousSignal_)(int) = nullptr;
};

TEST_F(DurableFile, ALineCutShortIsTakenBackAndTheNextOneStandsWhole)
{
    const std::string log = folder_ + "/KELVIX.LOG";
    const std::string first = "2026/12/09 02:28:31  45 00\r\n";
    ASSERT_TRUE(AppendWhole(log.c_str(), first.data(), first.size()));
    FillAt(first.size() + 10);
    errno = 0;
    EXPECT_FALSE(AppendWhole(log.c_str(), first.data(), first.size()));
    EXPECT_EQ(errno, EFBIG) << "the reason stays for the message";
    EXPECT_EQ(Read(log), first) << "no part of the second line";
    setrlimit(RLIMIT_FSIZE, &previous_);
    const std::string third = "2026/12/09 02:28:33  46 00\r\n";
    EXPECT_TRUE(AppendWhole(log.c_str(), third.data(), third.size()));
    EXPECT_EQ(Read(log), first + third);
}

TEST_F(DurableFile, AReplacementThatDoesNotFitLeavesTheOldFileAndNoTemporary)
{
    const std::string ini = folder_ + "/KELVIX.INI";
    ASSERT_TRUE(ReplaceFileDurably(ini.c_str(), "[Worst]\r\nA=0x2d\r\n"));
    FillAt(8);
    errno = 0;
    EXPECT_FALSE(ReplaceFileDurably(ini.c_str(), "[Worst]\r\nA=0x2e\r\n"));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_EQ(Read(ini), "[Worst]\r\nA=0x2d\r\n");
    EXPECT_NE(access((ini + ".new").c_str(), F_OK), 0) << "the temporary is gone";

    errno = 0;
    EXPECT_FALSE(ReplaceFileDurably((folder_ + "/missing/KELVIX.INI").c_str(), "x"));
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
