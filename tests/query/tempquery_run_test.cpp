// The tempquery program itself against a fake monitor on loopback: its output bytes and
// exit codes. The program under test is TEMPQUERY_PATH, or the command in the environment
// variable TEMPQUERY_COMMAND (words separated by spaces, for example a Wine runner and
// tempquery.exe), so the Windows build is held to the very same expectations.
#include "drive_fixture.h"
#include "loopback_socket.h"
#include "temperature_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::vector<std::string> CommandWords()
{
    std::vector<std::string> words;
    const char* command = std::getenv("TEMPQUERY_COMMAND");
    std::istringstream stream(command != nullptr && *command != '\0' ? command : TEMPQUERY_PATH);
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the program with the arguments and KELVIX_QUERY_PORT = port. A guard ends a program
// that hangs, so a broken exchange fails the test instead of blocking it.
RunResult RunTempquery(const std::vector<std::string>& arguments, std::uint16_t port)
{
    std::vector<std::string> words = CommandWords();
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::string base = ::testing::TempDir() + "tempquery_run_" + std::to_string(getpid());
    const std::string outPath = base + ".out";
    const std::string errPath = base + ".err";

    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        setenv("KELVIX_QUERY_PORT", std::to_string(port).c_str(), 1);
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    RunResult result;
    int status = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            ADD_FAILURE() << "tempquery did not end";
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

Bytes ReportWith(std::initializer_list<std::pair<unsigned, const char*>> drives)
{
    Bytes report(1920, 0);
    for (const auto& [slot, model] : drives) {
        std::uint8_t* record = report.data() + slot * 120;
        record[0] = 1;
        record[1] = static_cast<std::uint8_t>(30 + slot);
        record[2] = static_cast<std::uint8_t>(40 + slot);
        std::memcpy(record + 8, model, std::strlen(model));
        std::memcpy(record + 72, "FW1", 3);
        std::memcpy(record + 88, "SN1", 3);
    }
    return report;
}

Bytes Truncated(Bytes bytes, std::size_t length)
{
    bytes.resize(length);
    return bytes;
}

struct ExchangeCase {
    const char* name;
    Bytes answer;
    std::string expectedOut;
    int expectedExit;
};

TEST(TempqueryRunTest, PrintsTheAnswerAndExits)
{
    Bytes unterminated(1920, 0);
    unterminated[15 * 120] = 1;
    unterminated[15 * 120 + 1] = 7;
    unterminated[15 * 120 + 2] = 100;
    std::memset(unterminated.data() + 15 * 120 + 8, 'M', 112);  // model, firmware, serial: no NUL anywhere
    const ExchangeCase cases[] = {
        {"drives in slots 1 and 3", ReportWith({{1, "DISK ONE"}, {3, "DISK THREE"}}),
         "#1  31/41 : DISK ONE (FW1 SN1)\n#3  33/43 : DISK THREE (FW1 SN1)\n", 0},
        {"no drive", Bytes(1920, 0), "", 0},
        {"empty answer", Bytes(), "", 0},
        {"answer cut inside slot 2, after its model", Truncated(ReportWith({{0, "FIRST"}, {2, "THIRD"}, {5, "SIXTH"}}), 300),
         "#0  30/40 : FIRST (FW1 SN1)\n#2  32/42 : THIRD ( )\n", 0},
        {"unterminated strings in the last record", unterminated,
         "#15  7/100 : " + std::string(64, 'M') + " (" + std::string(16, 'M') + " " + std::string(32, 'M') + ")\n",
         0},
        {"answer longer than a report", Bytes(1921, 0), "recvfrom() error.\n", 255},
    };
    for (const ExchangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LoopbackSocket monitor;
        ASSERT_TRUE(monitor.IsOpen());
        Bytes request;
        std::thread responder([&] {
            sockaddr_in from{};
            if (auto received = monitor.Receive(&from, 120000)) {
                request = *received;
                monitor.SendTo(ntohs(from.sin_port), c.answer);
            }
        });
        const RunResult run = RunTempquery({"127.0.0.1"}, monitor.Port());
        responder.join();
        EXPECT_EQ(request, Bytes({0x01})) << "the report command";
        EXPECT_EQ(run.out, c.expectedOut);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.exitCode, c.expectedExit);
    }
}

TEST(TempqueryRunTest, PrintsWhatTheMonitorServes)
{
    const char* model40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ";
    const auto drives = MakeDriveState({
        {0, 38, 45, "ST380011A", "3.06", "5JVABCDE"},
        {5, 7, 100, model40, "05.01C05", "WD-WMAM9A123456"},
    });
    TemperatureServer service(drives->table);
    ASSERT_TRUE(service.StartUp());
    const std::uint16_t port = FreeUdpPort();
    ASSERT_TRUE(service.StartServer(port));
    ASSERT_TRUE(WaitUntilServing(port));

    const RunResult run = RunTempquery({"127.0.0.1"}, port);
    service.StopServer(port);
    service.CleanUp();
    EXPECT_EQ(run.out, "#0  38/45 : ST380011A (3.06 5JVABCDE)\n"
                       "#5   7/100 : " + std::string(model40) + " (05.01C05 WD-WMAM9A123456)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
}

TEST(TempqueryRunTest, BadCommandLinesFailBeforeAnythingIsSent)
{
    struct CommandLineCase {
        std::vector<std::string> arguments;
        std::string errStart;
    };
    const CommandLineCase cases[] = {
        {{}, "usage: tempquery <IPv4 address>\n"},
        {{"127.0.0.1", "extra"}, "usage: tempquery <IPv4 address>\n"},
        {{"localhost"}, "tempquery: \"localhost\" is not a dotted IPv4 address"},
        {{"127.0.0"}, "tempquery: \"127.0.0\" is not a dotted IPv4 address"},
        {{"127.0.0.256"}, "tempquery: \"127.0.0.256\" is not a dotted IPv4 address"},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.errStart);
        const LoopbackSocket monitor;
        const RunResult run = RunTempquery(c.arguments, monitor.Port());
        EXPECT_EQ(run.exitCode, 255);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_FALSE(monitor.HasPending()) << "nothing may be sent";
    }
}

} // namespace
