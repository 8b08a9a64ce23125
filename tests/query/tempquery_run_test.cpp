// The tempquery program itself against a fake monitor on loopback: its output bytes and
// exit codes. The program under test is TEMPQUERY_PATH, or the command in the environment
// variable TEMPQUERY_COMMAND (words separated by spaces, for example a Wine runner and
// tempquery.exe), so the Windows build is held to the very same expectations.
#include "drive_fixture.h"
#include "loopback_socket.h"
#include "temperature_server.h"
#include "report_printer.h"
#include "drive_verdict.h"
#include "verdict_report.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <optional>
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

// The language tempquery is told (KELVIX_LANGUAGE): English unless a case says otherwise,
// so that the cases read the same on the Japanese Wine harness.
const char* g_language = "en";

// Runs the program with the arguments and KELVIX_QUERY_PORT = port (none for 0). A guard
// ends a program that hangs, so a broken exchange fails the test instead of blocking it.
RunResult RunTempquery(const std::vector<std::string>& arguments, std::uint16_t port, const std::string& input = "")
{
    std::vector<std::string> words = CommandWords();
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::string base = ::testing::TempDir() + "tempquery_run_" + std::to_string(getpid());
    const std::string outPath = base + ".out";
    const std::string errPath = base + ".err";
    const std::string inPath = base + ".in";
    std::ofstream(inPath, std::ios::binary) << input;

    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open(inPath.c_str(), O_RDONLY);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        setenv("KELVIX_LANGUAGE", g_language, 1);
        if (port != 0) {
            setenv("KELVIX_QUERY_PORT", std::to_string(port).c_str(), 1);
        } else {
            unsetenv("KELVIX_QUERY_PORT");
        }
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
    // Every run here ends in a few seconds, even under Wine on a loaded machine: a tempquery
    // that retries without a limit fails its own case, long before CTest's time-out.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
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
    std::remove(inPath.c_str());
    return result;
}

// Whether the program under test hears that a host refused (ICMP port unreachable): Linux
// and Windows do, Wine passes no such report to Windows programs and the host reads as
// silent there.
bool RefusalsHeard()
{
    const char* command = std::getenv("TEMPQUERY_COMMAND");
    return command == nullptr || *command == '\0';
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
    const ExchangeCase cases[] = {
        {"drives in slots 1 and 3", ReportWith({{1, "DISK ONE"}, {3, "DISK THREE"}}),
         "#1  31/41 : DISK ONE (FW1 SN1)\n#3  33/43 : DISK THREE (FW1 SN1)\n", 0},
        {"no drive", Bytes(1920, 0), "", 0},
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

std::string RunJq(const std::string& filter, const std::string& input)
{
    const std::string path = ::testing::TempDir() + "tempquery_jq_" + std::to_string(getpid()) + ".json";
    std::ofstream(path, std::ios::binary) << input;
    const std::string command = "jq -r '" + filter + "' < " + path + " 2>&1; echo \"exit $?\"";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, n);
        }
        pclose(pipe);
    }
    std::remove(path.c_str());
    return output;
}

// Who sends a test's answer: the monitor asked, or a stand-in on another address or on
// another port of the same address; and how many report commands pass unanswered first.
enum class Sender { Monitor, OtherAddress, OtherPort };

struct DatagramCase {
    const char* name;
    Bytes answer;
    Sender sender;
    int unanswered;
    const char* fault;  // nullptr: answered; "": no answer from the host asked
};

// A monitor that ignores the verdict request (an old server) and has the case's answer
// sent by the sender, until the test sends it the stop command.
void AnswerAsTheCaseSays(const LoopbackSocket& monitor, const LoopbackSocket& sender, const DatagramCase& c)
{
    int reports = 0;
    sockaddr_in from{};
    while (const std::optional<Bytes> request = monitor.Receive(&from, 30000)) {
        if (*request == Bytes{0x10}) {
            return;
        }
        if (*request == Bytes{0x01} && reports++ == c.unanswered) {
            sender.SendTo(ntohs(from.sin_port), c.answer, "127.0.0.1");
        }
    }
}

TEST(TempqueryRunTest, EveryModeGivesADatagramTheSameVerdict)
{
    Bytes unterminated(1920, 0);
    unterminated[15 * 120] = 1;
    std::memset(unterminated.data() + 15 * 120 + 8, 'M', 112);  // model, firmware, serial: no NUL anywhere
    const Bytes whole = ReportWith({{1, "DISK ONE"}});
    const DatagramCase cases[] = {
        {"a whole report", whole, Sender::Monitor, 0, nullptr},
        {"a late answer to the first try", whole, Sender::Monitor, 1, nullptr},
        {"cut short inside slot 2", Truncated(ReportWith({{0, "FIRST"}, {2, "THIRD"}}), 300), Sender::Monitor, 0,
         "an answer of 300 bytes, not 1920"},
        {"empty", Bytes(), Sender::Monitor, 0, "an answer of 0 bytes, not 1920"},
        {"one byte too long", Bytes(1921, 0), Sender::Monitor, 0, "an answer longer than 1920 bytes"},
        {"garbage of the right length", Bytes(1920, 0xA5), Sender::Monitor, 0, "record 0 has present byte 165"},
        {"texts without their ends", unterminated, Sender::Monitor, 0, "record 15 has a text without its end"},
        {"a whole report from another address", whole, Sender::OtherAddress, 0, ""},
        {"a whole report from another port", whole, Sender::OtherPort, 0, ""},
    };
    const char* const modes[] = {"lines", "-l", "--json", "--check", "--summary"};
    for (const DatagramCase& c : cases) {
        for (const std::string mode : modes) {
            SCOPED_TRACE(std::string(c.name) + ", " + mode);
            const LoopbackSocket monitor;
            const LoopbackSocket otherAddress("127.0.0.2");
            const LoopbackSocket otherPort;
            ASSERT_TRUE(monitor.IsOpen() && otherAddress.IsOpen() && otherPort.IsOpen());
            const LoopbackSocket& sender = c.sender == Sender::Monitor        ? monitor
                                           : c.sender == Sender::OtherAddress ? otherAddress
                                                                              : otherPort;
            std::thread responder([&] { AnswerAsTheCaseSays(monitor, sender, c); });
            std::vector<std::string> arguments = {"-t", "0.25", "-r", "2", "127.0.0.1"};
            if (mode != "lines") {
                arguments.insert(arguments.begin(), mode);
            }
            const RunResult run = RunTempquery(arguments, monitor.Port());
            LoopbackSocket().SendTo(monitor.Port(), Bytes{0x10});
            responder.join();

            const std::string where = "127.0.0.1 port " + std::to_string(monitor.Port());
            const bool answered = c.fault == nullptr;
            const bool silent = !answered && *c.fault == '\0';
            const std::string problem = answered ? ""
                                        : silent ? "no answer from " + where + " after 2 tries of 0.25 s"
                                                 : "malformed report from " + where + ": " + c.fault;
            const std::string dropped =
                &sender == &monitor ? ""
                                    : "127.0.0.1: dropped 1 datagram from other senders than the host asked, from " +
                                          std::string(&sender == &otherAddress ? "127.0.0.2" : "127.0.0.1") +
                                          " port " + std::to_string(sender.Port());
            const std::string complaints = (dropped.empty() ? "" : "tempquery: " + dropped + ".\n") +
                                           (answered ? "" : "tempquery: " + problem + ".\n");
            if (mode == "lines") {
                EXPECT_EQ(run.out, answered ? "#1  31/41 : DISK ONE (FW1 SN1)\n" : "");
                EXPECT_EQ(run.err, complaints);
                EXPECT_EQ(run.exitCode, answered ? 0 : 255);
            } else if (mode == "-l") {  // an older server: no verdicts, the health unknown
                EXPECT_EQ(run.out, answered ? "#1  31/41 : DISK ONE (FW1 SN1) unknown\n" : "");
                EXPECT_EQ(run.err, complaints);
                EXPECT_EQ(run.exitCode, answered ? 0 : 255);
            } else if (mode == "--json") {
                EXPECT_EQ(RunJq(".state + \" \" + (.error // (.drives | length | tostring))", run.out),
                          (answered ? "answered 1" : silent ? "timeout " + problem : "protocol-error " + problem) +
                              "\nexit 0\n");
                EXPECT_EQ(run.err, complaints);
                EXPECT_EQ(run.exitCode, answered ? 0 : 255);
            } else if (mode == "--check") {
                EXPECT_EQ(run.out.substr(0, run.out.find('|')),
                          answered ? "KELVIX OK - hottest drive 1 (DISK ONE) at 31 C of 1 drive"
                                   : "KELVIX UNKNOWN - " + problem + "\n");
                EXPECT_EQ(run.exitCode, answered ? 0 : 3);
            } else {
                EXPECT_EQ(run.out, (dropped.empty() ? "" : dropped + "\n") +
                                       (answered ? "" : "127.0.0.1: " + problem + "\n"));
                EXPECT_EQ(run.exitCode, answered ? 0 : 1);
            }
        }
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
    const RunResult check = RunTempquery({"--check", "-w", "37", "-c", "40", "localhost"}, port);
    const RunResult json = RunTempquery({"--json", "127.0.0.1"}, port);
    service.StopServer(port);
    service.CleanUp();
    EXPECT_EQ(run.out, "#0  38/45 : ST380011A (3.06 5JVABCDE)\n"
                       "#5   7/100 : " + std::string(model40) + " (05.01C05 WD-WMAM9A123456)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);

    EXPECT_EQ(check.out, "KELVIX WARNING - hottest drive 0 (ST380011A) at 38 C of 2 drives, warning above 37, "
                         "critical above 40|'drive0 ST380011A'=38;37;40 'drive5 " + std::string(model40) + "'=7;37;40\n");
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(json.out, "{\"host\":\"127.0.0.1\",\"port\":" + std::to_string(port) + ",\"state\":\"answered\",\"drives\":["
                        "{\"drive\":0,\"temperature\":38,\"worst\":45,\"model\":\"ST380011A\",\"firmware\":\"3.06\","
                        "\"serial\":\"5JVABCDE\"},{\"drive\":5,\"temperature\":7,\"worst\":100,\"model\":\"" +
                        std::string(model40) + "\",\"firmware\":\"05.01C05\",\"serial\":\"WD-WMAM9A123456\"}]}\n");
    EXPECT_EQ(json.exitCode, 0);
}

TEST(TempqueryRunTest, BadCommandLinesFailBeforeAnythingIsSent)
{
    struct CommandLineCase {
        std::vector<std::string> arguments;
        std::string out;
        std::string errStart;
        int exitCode;
    };
    const CommandLineCase cases[] = {
        {{}, "", "usage: tempquery [options] host...\n", 255},
        {{"127.0.0"}, "", "tempquery: cannot find host \"127.0.0\".\n", 255},
        {{"127.0.0.256"}, "", "tempquery: cannot find host \"127.0.0.256\".\n", 255},
        {{"-p", "0", "127.0.0.1"}, "", "tempquery: -p \"0\" is not a port number (1 to 65535) (tempquery --help", 255},
        {{"--check", "-w", "9", "-c", "8", "127.0.0.1"},
         "KELVIX UNKNOWN - tempquery: the warning temperature is above the critical one\n", "", 3},
        {{"--check", "127.0.0.256"}, "KELVIX UNKNOWN - cannot find host \"127.0.0.256\"\n", "", 3},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.errStart + c.out);
        const LoopbackSocket monitor;
        const RunResult run = RunTempquery(c.arguments, monitor.Port());
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_FALSE(monitor.HasPending()) << "nothing may be sent";
    }
}

// Japanese where it can be shown (tempquery.exe under Wine, told ja), English on Linux
// whatever it is told; the status line other programs read is the same either way.
TEST(TempqueryRunTest, TheLanguageChangesOnlyTheTextsForPeople)
{
    const char* command = std::getenv("TEMPQUERY_COMMAND");
    const bool windows = command != nullptr && *command != '\0';
    const LoopbackSocket monitor;
    g_language = "ja";
    const RunResult usage = RunTempquery({}, monitor.Port());
    const RunResult hint = RunTempquery({"-p", "0", "127.0.0.1"}, monitor.Port());
    const RunResult check = RunTempquery({"--check", "-w", "9", "-c", "8", "127.0.0.1"}, monitor.Port());
    g_language = "en";
    const std::string japaneseUsage = "使い方: tempquery [オプション] ホスト...\n";
    const std::string englishUsage = "usage: tempquery [options] host...\n";
    const std::string& expectedUsage = windows ? japaneseUsage : englishUsage;
    EXPECT_EQ(usage.err.substr(0, expectedUsage.size()), expectedUsage);
    const std::string expectedHint = windows ? "(オプションは tempquery --help で表示されます)" : "(tempquery --help shows the options)";
    EXPECT_NE(hint.err.find(expectedHint), std::string::npos) << hint.err;
    EXPECT_EQ(check.out, "KELVIX UNKNOWN - tempquery: the warning temperature is above the critical one\n");
    EXPECT_EQ(check.exitCode, 3);
}

// A fake monitor on its own thread: answers its requests in turn from a script (an
// empty optional lets that request go unanswered), and keeps every request it saw.
class ScriptedMonitor {
public:
    explicit ScriptedMonitor(std::vector<std::optional<Bytes>> answers, const char* address = "127.0.0.1",
                             std::uint16_t port = 0)
        : socket_(address, port), answers_(std::move(answers))
    {
        thread_ = std::thread([this] {
            for (const std::optional<Bytes>& answer : answers_) {
                sockaddr_in from{};
                const std::optional<Bytes> request = socket_.Receive(&from, 120000);
                if (!request) {
                    return;
                }
                requests_.push_back(*request);
                if (answer) {
                    socket_.SendTo(ntohs(from.sin_port), *answer, inet_ntoa(from.sin_addr));
                }
            }
        });
    }
    ~ScriptedMonitor() { Finish(); }

    bool IsOpen() const { return socket_.IsOpen(); }
    std::uint16_t Port() const { return socket_.Port(); }

    // Waits for the script to end, then counts requests that came after it.
    const std::vector<Bytes>& Finish()
    {
        if (thread_.joinable()) {
            thread_.join();
            while (const std::optional<Bytes> late = socket_.Receive(nullptr, 0)) {
                requests_.push_back(*late);
            }
        }
        return requests_;
    }

private:
    LoopbackSocket socket_;
    std::vector<std::optional<Bytes>> answers_;
    std::vector<Bytes> requests_;
    std::thread thread_;
};

TEST(TempqueryRunTest, GivesUpOnASilentMonitorAfterItsTries)
{
    struct SilentCase {
        std::vector<std::string> arguments;
        std::size_t requests;
        std::string out;
        std::string err;  // %P for the port
        int exitCode;
    };
    const SilentCase cases[] = {
        {{"-t", "0.2", "127.0.0.1"}, 3, "", "tempquery: no answer from 127.0.0.1 port %P after 3 tries of 0.2 s.\n",
         255},
        {{"-r", "1", "--timeout=0.25", "localhost"}, 1, "",
         "tempquery: no answer from localhost port %P after 1 try of 0.25 s.\n", 255},
        {{"--json", "-t", "0.1", "-r", "2", "127.0.0.1"}, 2,
         "{\"host\":\"127.0.0.1\",\"port\":%P,\"state\":\"timeout\",\"error\":\"no answer from 127.0.0.1 port %P after 2 tries of 0.1 s\"}\n",
         "tempquery: no answer from 127.0.0.1 port %P after 2 tries of 0.1 s.\n", 255},
        {{"--check", "-w", "50", "-t", "0.1", "127.0.0.1"}, 3,
         "KELVIX UNKNOWN - no answer from 127.0.0.1 port %P after 3 tries of 0.1 s\n", "", 3},
    };
    for (const SilentCase& c : cases) {
        SCOPED_TRACE(c.err + c.out);
        const LoopbackSocket monitor;
        const std::string port = std::to_string(monitor.Port());
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.begin(), {"-p", port});
        const RunResult run = RunTempquery(arguments, 0);
        const auto withPort = [&](std::string text) {
            for (std::size_t at; (at = text.find("%P")) != std::string::npos;) {
                text.replace(at, 2, port);
            }
            return text;
        };
        EXPECT_EQ(run.out, withPort(c.out));
        EXPECT_EQ(run.err, withPort(c.err));
        EXPECT_EQ(run.exitCode, c.exitCode);
        // The plain lines ask for the report alone; the judging outputs ask each try for
        // the verdicts first (a request old servers ignore).
        const bool verdicts = std::count(c.arguments.begin(), c.arguments.end(), "--json") +
                                  std::count(c.arguments.begin(), c.arguments.end(), "--check") > 0;
        std::vector<Bytes> expected;
        for (std::size_t i = 0; i < c.requests; ++i) {
            if (verdicts) {
                expected.push_back({0x02, 0x01});
            }
            expected.push_back({0x01});
        }
        std::vector<Bytes> requests;
        while (const std::optional<Bytes> request = monitor.Receive(nullptr, 0)) {
            requests.push_back(*request);
        }
        EXPECT_EQ(requests, expected) << "one report command per try";
    }
}

TEST(TempqueryRunTest, AnAnswerToALaterTryIsTaken)
{
    // The first request is lost; the answer to the second one arrives. Tries are generous so
    // that a slow machine that lets another try start before the answer lands still passes.
    ScriptedMonitor monitor({std::nullopt, ReportWith({{2, "LATE DISK"}})});
    ASSERT_TRUE(monitor.IsOpen());
    const RunResult run = RunTempquery({"-t", "1", "-r", "10", "127.0.0.1"}, monitor.Port());
    const std::vector<Bytes>& requests = monitor.Finish();
    EXPECT_EQ(run.out, "#2  32/42 : LATE DISK (FW1 SN1)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0], Bytes({0x01}));
    EXPECT_EQ(requests[1], Bytes({0x01}));
}

TEST(TempqueryRunTest, WaitsWithoutLimitWhenAsked)
{
    ScriptedMonitor monitor({ReportWith({{4, "PATIENT"}})});
    ASSERT_TRUE(monitor.IsOpen());
    const RunResult run = RunTempquery({"-t", "0", "-r", "5", "127.0.0.1"}, monitor.Port());
    EXPECT_EQ(run.out, "#4  34/44 : PATIENT (FW1 SN1)\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(monitor.Finish().size(), 1u) << "one report command: an answer is awaited, not sent for again";
}

TEST(TempqueryRunTest, SeveralHostsAreAnsweredInTurnUnderTheirNames)
{
    ScriptedMonitor first({ReportWith({{0, "FIRST HOST"}})});
    ASSERT_TRUE(first.IsOpen());
    ScriptedMonitor second({ReportWith({{1, "SECOND HOST"}})}, "127.0.0.2", first.Port());
    ASSERT_TRUE(second.IsOpen()) << "127.0.0.2 port " << first.Port();
    const std::string port = std::to_string(first.Port());
    // 127.0.0.3 has nobody on the port and refuses: its failure is told and the others
    // still print.
    const RunResult run =
        RunTempquery({"127.0.0.1", "127.0.0.3", "127.0.0.2", "-p", port, "-t", "0.2", "-r", "1"}, 0);
    EXPECT_EQ(run.out, "== 127.0.0.1 ==\n"
                       "#0  30/40 : FIRST HOST (FW1 SN1)\n"
                       "== 127.0.0.3 ==\n"
                       "== 127.0.0.2 ==\n"
                       "#1  31/41 : SECOND HOST (FW1 SN1)\n");
    EXPECT_EQ(run.err, RefusalsHeard()
                           ? "tempquery: nobody listens on 127.0.0.3 port " + port + " (the host refused the query).\n"
                           : "tempquery: no answer from 127.0.0.3 port " + port + " after 1 try of 0.2 s.\n");
    EXPECT_EQ(run.exitCode, 255);
}

TEST(TempqueryRunTest, ARangeAndHostsOnTheirOwnPortsInOneSweep)
{
    ScriptedMonitor first({ReportWith({{0, "FIRST HOST"}})});
    ASSERT_TRUE(first.IsOpen());
    ScriptedMonitor second({ReportWith({{1, "SECOND HOST"}})}, "127.0.0.2", first.Port());
    ASSERT_TRUE(second.IsOpen());
    ScriptedMonitor other({ReportWith({{2, "OTHER PORT"}})}, "127.0.0.3");
    ASSERT_TRUE(other.IsOpen());
    const std::string port = std::to_string(first.Port());
    const std::string otherPort = std::to_string(other.Port());
    // 127.0.0.0/30 is .1 and .2, on the port after it; .3 is asked on its own port.
    const RunResult run = RunTempquery({"127.0.0.0/30:" + port, "127.0.0.3:" + otherPort, "-t", "0.5", "-r", "2"}, 0);
    EXPECT_EQ(run.out, "== 127.0.0.1:" + port + " ==\n#0  30/40 : FIRST HOST (FW1 SN1)\n"
                       "== 127.0.0.2:" + port + " ==\n#1  31/41 : SECOND HOST (FW1 SN1)\n"
                       "== 127.0.0.3:" + otherPort + " ==\n#2  32/42 : OTHER PORT (FW1 SN1)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    const RunResult range = RunTempquery({"10.0.0.0/20"}, 0);
    EXPECT_EQ(range.err, "tempquery: \"10.0.0.0/20\" stands for 4096 addresses, more than 1024 (a /22).\n");
    EXPECT_EQ(range.exitCode, 255);
}

TEST(TempqueryRunTest, JsonReadsInJq)
{
    Bytes report = ReportWith({{0, "ST380011A"}, {4, "X"}});
    const char shiftJis[] = "\x83\x66\x83\x42\x83\x58\x83\x4E \"q\" \\";  // katakana in code page 932
    std::memcpy(report.data() + 4 * 120 + 8, shiftJis, sizeof shiftJis);
    report[4 * 120 + 1] = 0;  // no temperature
    ScriptedMonitor monitor({report});
    ASSERT_TRUE(monitor.IsOpen());
    const RunResult run = RunTempquery({"--json", "localhost"}, monitor.Port());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(RunJq(".host, .port, (.drives[] | \"\\(.drive) \\(.temperature) \\(.worst) \\(.model) \\(.firmware) "
                    "\\(.serial) \\(.model_hex)\")",
                    run.out),
              "localhost\n" + std::to_string(monitor.Port()) + "\n"
              "0 30 40 ST380011A FW1 SN1 null\n"
              "4 null 44 \xEF\xBF\xBD" "f\xEF\xBF\xBD" "B\xEF\xBF\xBD" "X\xEF\xBF\xBD" "N \"q\" \\ FW1 SN1 "
              "836683428358834e2022712220" "5c\n"
              "exit 0\n");
}

TEST(TempqueryRunTest, CheckStatesAndExitCodes)
{
    struct CheckCase {
        std::vector<std::string> thresholds;
        Bytes answer;
        int exitCode;
        std::string out;
    };
    const Bytes twoDrives = ReportWith({{0, "COOL"}, {9, "WARM"}});  // 30 and 39 degrees
    const CheckCase cases[] = {
        {{"-w", "45", "-c", "50"}, twoDrives, 0,
         "KELVIX OK - hottest drive 9 (WARM) at 39 C of 2 drives, warning above 45, critical above 50"
         "|'drive0 COOL'=30;45;50 'drive9 WARM'=39;45;50\n"},
        {{"-w", "38", "-c", "50"}, twoDrives, 1,
         "KELVIX WARNING - hottest drive 9 (WARM) at 39 C of 2 drives, warning above 38, critical above 50"
         "|'drive0 COOL'=30;38;50 'drive9 WARM'=39;38;50\n"},
        {{"-w", "30", "-c", "38"}, twoDrives, 2,
         "KELVIX CRITICAL - hottest drive 9 (WARM) at 39 C of 2 drives, warning above 30, critical above 38"
         "|'drive0 COOL'=30;30;38 'drive9 WARM'=39;30;38\n"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.out);
        ScriptedMonitor monitor({c.answer});
        ASSERT_TRUE(monitor.IsOpen());
        std::vector<std::string> arguments = {"--check", "127.0.0.1"};
        arguments.insert(arguments.end(), c.thresholds.begin(), c.thresholds.end());
        const RunResult run = RunTempquery(arguments, monitor.Port());
        std::string expected = c.out;
        if (const std::size_t at = expected.find("%P"); at != std::string::npos) {
            expected.replace(at, 2, std::to_string(monitor.Port()));
        }
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.exitCode, c.exitCode);
    }
}

// Fifty monitors on 127.0.0.2 to 127.0.0.51, one port: every fifth host is silent (bound,
// never answering), the rest answer on threads of their own until told to stop. Hosts
// with an even number also answer the verdict request, as new servers do; the others are
// old servers that ignore it. A stand-in on 127.0.0.99 answers the report commands sent
// to the silent 127.0.0.11, as if it were that host.
class Office {
public:
    static constexpr int kHosts = 50;

    Office()
    {
        for (int attempt = 0; attempt < 5 && sockets_.size() < kHosts; ++attempt) {
            sockets_.clear();
            std::uint16_t port = 0;
            for (int i = 0; i < kHosts; ++i) {
                sockets_.push_back(std::make_unique<LoopbackSocket>(Address(i).c_str(), port));
                if (!sockets_.back()->IsOpen()) {
                    sockets_.clear();
                    break;
                }
                port = sockets_.front()->Port();
            }
        }
        if (IsOpen()) {
            threads_.emplace_back([this] {
                for (;;) {
                    sockaddr_in from{};
                    const std::optional<Bytes> request = sockets_[kSpoofed]->Receive(&from, 60000);
                    if (!request || *request == Bytes{0x10}) {
                        return;
                    }
                    ++spoofedRequests_;
                    if (*request == Bytes{0x01}) {
                        spoofer_.SendTo(ntohs(from.sin_port), Report(0), inet_ntoa(from.sin_addr));
                    }
                }
            });
        }
        for (int i = 0; i < static_cast<int>(sockets_.size()); ++i) {
            if (Silent(i)) {
                continue;
            }
            threads_.emplace_back([this, i] {
                const Bytes report = Report(i);
                for (;;) {
                    sockaddr_in from{};
                    const std::optional<Bytes> request = sockets_[i]->Receive(&from, 60000);
                    if (!request || *request == Bytes{0x10}) {
                        return;
                    }
                    if (IsVerdictRequest(request->data(), request->size())) {
                        if (i % 2 == 0) {
                            sockets_[i]->SendTo(ntohs(from.sin_port), Verdicts(i), inet_ntoa(from.sin_addr));
                        }
                        continue;
                    }
                    sockets_[i]->SendTo(ntohs(from.sin_port), report, inet_ntoa(from.sin_addr));
                }
            });
        }
    }
    ~Office()
    {
        const LoopbackSocket stopper;
        for (int i = 0; i < static_cast<int>(sockets_.size()); ++i) {
            if (!Silent(i) || i == kSpoofed) {
                stopper.SendTo(Port(), Bytes{0x10}, Address(i).c_str());
            }
        }
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

    static constexpr int kSpoofed = 9;

    bool IsOpen() const { return sockets_.size() == kHosts && spoofer_.IsOpen(); }
    std::uint16_t SpooferPort() const { return spoofer_.Port(); }
    std::uint16_t Port() const { return sockets_.front()->Port(); }
    static std::string Address(int i) { return "127.0.0." + std::to_string(i + 2); }
    static bool Silent(int i) { return i % 5 == 4; }

    // Each host's drive 0 is cool; two drives are made hot (above 55 and above 60), one
    // gives no temperature and one (on a new server) is failing.
    static Bytes Report(int i)
    {
        Bytes report(1920, 0);
        const auto put = [&](unsigned slot, int degrees, const std::string& model) {
            std::uint8_t* record = report.data() + slot * 120;
            record[0] = 1;
            record[1] = static_cast<std::uint8_t>(degrees);
            record[2] = 50;
            std::memcpy(record + 8, model.data(), model.size());
        };
        put(0, 30 + i % 10, "PC" + std::to_string(i) + " SYSTEM");
        if (i == 5) {
            put(1, 58, "WARM DISK");
        } else if (i == 21) {
            put(2, 64, "HOT DISK");
        } else if (i == 28) {
            put(3, 0, "QUIET DISK");
        } else if (i == 12) {
            put(1, 40, "AGING DISK");
        }
        return report;
    }

    static Bytes Verdicts(int i)
    {
        VerdictReport verdicts;
        for (unsigned slot = 0; slot < 4; ++slot) {
            VerdictRecord& drive = verdicts.drives[slot];
            drive.present = slot == 0 || (i == 12 && slot == 1) ? 1 : 0;
            drive.temperatureState = 1;
            drive.warningTemperature = 55;
            drive.health = 1;
        }
        if (i == 12) {
            VerdictRecord& aging = verdicts.drives[1];
            aging.health = 3;
            aging.reasonCount = 1;
            aging.reasonKind = static_cast<std::uint8_t>(HealthReasonKind::CountIncreased);
            aging.reasonSeverity = 3;
            aging.reasonAttribute = 197;
            aging.reasonFrom = 0;
            aging.reasonTo = 8;
        }
        std::uint8_t bytes[kVerdictReportBytes];
        return Bytes(bytes, bytes + EncodeVerdictReport(verdicts, bytes));
    }

    // The requests a silent host received.
    std::size_t RequestsTo(int i) const
    {
        std::size_t requests = i == kSpoofed ? spoofedRequests_.exchange(0) : 0;
        while (sockets_[i]->Receive(nullptr, 0)) {
            ++requests;
        }
        return requests;
    }

private:
    std::vector<std::unique_ptr<LoopbackSocket>> sockets_;
    const LoopbackSocket spoofer_{"127.0.0.99"};
    mutable std::atomic<std::size_t> spoofedRequests_{0};
    std::vector<std::thread> threads_;
};

std::string OfficeHostFile()
{
    const std::string path = ::testing::TempDir() + "office_hosts_" + std::to_string(getpid()) + ".txt";
    std::ofstream file(path, std::ios::binary);
    file << "# the office\n";
    for (int i = 0; i < Office::kHosts; ++i) {
        file << Office::Address(i) << "\n";
    }
    return path;
}

TEST(TempqueryRunTest, AnOfficeOfFiftyHostsInOneSweep)
{
    Office office;
    ASSERT_TRUE(office.IsOpen()) << "fifty loopback addresses on one port";
    const std::string port = std::to_string(office.Port());
    const std::string hostFile = OfficeHostFile();

    // One host: what starting the program and one exchange cost on this machine now.
    const auto started = std::chrono::steady_clock::now();
    const RunResult one = RunTempquery({"-p", port, Office::Address(0)}, 0);
    const double oneSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(one.exitCode, 0);

    const auto sweepStarted = std::chrono::steady_clock::now();
    const RunResult sweep = RunTempquery({"-p", port, "-t", "1", "-r", "2", "-f", hostFile}, 0);
    const double sweepSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sweepStarted).count();
    // One time-out and its retry (2 x 1 s) and a second, beyond what one host costs.
    const double bound = oneSeconds + 2 * 1.0 + 1.0;
    std::printf("office sweep: %.2f s (one host %.2f s, bound %.2f s)\n", sweepSeconds, oneSeconds, bound);
    EXPECT_LE(sweepSeconds, bound);
    std::string out;
    std::string err;
    std::string summary;
    for (int i = 0; i < Office::kHosts; ++i) {
        const std::string host = Office::Address(i);
        out += "== " + host + " ==\n";
        if (Office::Silent(i)) {
            if (i == Office::kSpoofed) {
                const std::string dropped = host + ": dropped 2 datagrams from other senders than the host asked, "
                                                   "the first from 127.0.0.99 port " +
                                            std::to_string(office.SpooferPort());
                err += "tempquery: " + dropped + ".\n";
                summary += dropped + "\n";
            }
            err += "tempquery: no answer from " + host + " port " + port + " after 2 tries of 1 s.\n";
            summary += host + ": no answer from " + host + " port " + port + " after 2 tries of 1 s\n";
            EXPECT_EQ(office.RequestsTo(i), 2u) << host << ": one request per try";
            continue;
        }
        const Bytes report = Office::Report(i);
        std::uint8_t bytes[kReportBytes];
        std::copy(report.begin(), report.end(), bytes);
        out += FormatDriveLines(bytes);
    }
    EXPECT_EQ(sweep.out, out);
    EXPECT_EQ(sweep.err, err);
    EXPECT_EQ(sweep.exitCode, 255);

    // The same office from standard input, as one monitoring check.
    std::string hostLines;
    for (int i = 0; i < Office::kHosts; ++i) {
        hostLines += Office::Address(i) + "\n";
    }
    const RunResult check =
        RunTempquery({"--check", "-w", "55", "-c", "60", "-p", port, "-t", "0.5", "-r", "1", "-"}, 0, hostLines);
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_EQ(check.out.substr(0, check.out.find('|')),
              "KELVIX CRITICAL - 3 drives need attention: 127.0.0.23 drive 2 (HOT DISK) at 64 C, 127.0.0.14 drive 1 "
              "(AGING DISK) health bad: attribute 197 (current pending sectors) rose from 0 to 8, 127.0.0.7 drive 1 "
              "(WARM DISK) at 58 C, 10 hosts silent: 127.0.0.6, 127.0.0.11, 127.0.0.16 and 7 more (--summary lists all), "
              "44 drives (1 "
              "without temperature) on 40 of 50 hosts, warning above 55, critical above 60");
    EXPECT_NE(check.out.find("|'hosts answered'=40 'hosts silent'=10 '127.0.0.2 drive0'=30;55;60 "), std::string::npos);
    // The long output: every problem on a line of its own, the silent hosts among the drives.
    const std::string longOutput = check.out.substr(check.out.find('\n') + 1);
    EXPECT_EQ(std::count(longOutput.begin(), longOutput.end(), '\n'), 4 + 10 + 1) << longOutput;
    EXPECT_NE(longOutput.find("127.0.0.7 drive 1 (WARM DISK): 58 C, above 55\n127.0.0.11: dropped 1 datagram"),
              std::string::npos) << longOutput;
    EXPECT_NE(longOutput.find("\n127.0.0.51: no answer from 127.0.0.51 port " + port + " after 1 try of 0.5 s\n"),
              std::string::npos) << longOutput;

    const RunResult listed = RunTempquery({"--summary", "-w", "55", "-c", "60", "-p", port, "-t", "1", "-r", "2",
                                           "-f", hostFile}, 0);
    std::string expected;
    std::size_t at = 0;
    for (int i = 0; i < Office::kHosts; ++i) {  // the silent hosts' lines among the made ones, in order
        const std::string host = Office::Address(i);
        std::string line = i == 5    ? host + " drive 1 (WARM DISK): 58 C, above 55\n"
                           : i == 21 ? host + " drive 2 (HOT DISK): 64 C, above 60\n"
                           : i == 28 ? host + " drive 3 (QUIET DISK): no temperature\n"
                           : i == 12 ? host + " drive 1 (AGING DISK): health bad: attribute 197 (current pending "
                                              "sectors) rose from 0 to 8\n"
                                     : std::string();
        for (int lines = !Office::Silent(i) ? 0 : i == Office::kSpoofed ? 2 : 1; lines > 0; --lines) {
            const std::size_t end = summary.find('\n', at) + 1;
            line += summary.substr(at, end - at);
            at = end;
        }
        expected += line;
    }
    EXPECT_EQ(listed.out, expected);
    EXPECT_EQ(listed.exitCode, 1);
    std::remove(hostFile.c_str());
}

TEST(TempqueryRunTest, JsonTellsEachHostsState)
{
    Office office;
    ASSERT_TRUE(office.IsOpen());
    // .2 answers, .6 is silent, .52 has nobody on the port and refuses, .256 is no address.
    const RunResult run = RunTempquery({"--json", "-p", std::to_string(office.Port()), "-t", "0.3", "-r", "1",
                                        "127.0.0.2", "127.0.0.6", "127.0.0.52", "127.0.0.256"}, 0);
    EXPECT_EQ(RunJq(".state + \" \" + (.drives[0]? | \"\\(.health) \\(.warning_temperature)\")", run.out),
              std::string("answered good 55\ntimeout null null\n") + (RefusalsHeard() ? "refused" : "timeout") +
                  " null null\nnot-found null null\nexit 0\n");
    EXPECT_EQ(run.exitCode, 255);
}

} // namespace
