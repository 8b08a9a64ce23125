// The temperature service under load: a long run of report queries with none lost and
// memory flat, then random datagrams of every length mixed with report queries. The
// worker runs on a free loopback port; the client is a plain BSD socket that receives
// into fixed buffers, so the test itself allocates nothing per query.
#include "drive_fixture.h"
#include "drive_report.h"
#include "loopback_socket.h"
#include "message_log.h"
#include "temperature_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr long kQueries = 100000;
constexpr long kRandomDatagrams = 10000;
constexpr long kWarmUpQueries = 5000;
constexpr long kMemoryBoundKb = 1024;
// Random datagrams between two report queries: few enough that neither socket's
// receive queue can overflow while the other side is busy.
constexpr int kDatagramsPerQuery = 4;
constexpr std::size_t kLongestDatagram = 3000;

const ShownMessage kUnknownCommandNotice{MessageKind::Notice, 15};

// Resident memory of this process in kB (VmRSS), or -1 when it cannot be read.
long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// The client side: one loopback socket, fixed send and receive buffers.
class QueryClient {
public:
    explicit QueryClient(std::uint16_t serverPort)
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
        server_.sin_family = AF_INET;
        server_.sin_port = htons(serverPort);
        server_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~QueryClient()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    QueryClient(const QueryClient&) = delete;
    QueryClient& operator=(const QueryClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    bool Send(const std::uint8_t* bytes, std::size_t length) const
    {
        const ssize_t sent = ::sendto(fd_, bytes, length, 0, reinterpret_cast<const sockaddr*>(&server_), sizeof server_);
        return sent == static_cast<ssize_t>(length);
    }

    // The next datagram's length (its bytes in Buffer()), or -1 when none comes within
    // a guard time long enough that only a lost datagram runs into it.
    long Receive()
    {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, 5000) != 1) {
            return -1;
        }
        // MSG_TRUNC: a datagram longer than the buffer reports its real length.
        return static_cast<long>(::recv(fd_, buffer_, sizeof buffer_, MSG_TRUNC));
    }
    const std::uint8_t* Buffer() const { return buffer_; }

    bool HasPending() const
    {
        pollfd entry{fd_, POLLIN, 0};
        return ::poll(&entry, 1, 0) == 1;
    }

private:
    int fd_ = -1;
    sockaddr_in server_{};
    std::uint8_t buffer_[4096] = {};
};

class ServerLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        TakeShownMessages();
        BuildDriveReport(drives_->table, expectedReport_);
        ASSERT_TRUE(server_.StartUp());
        // The load is the point here, not the rate limit (that has its own tests).
        AccessRules unlimited;
        ASSERT_TRUE(MakeAccessRules(kDefaultAllowedHosts, 0, unlimited));
        server_.SetAccessRules(unlimited);
        port_ = FreeUdpPort();
        ASSERT_TRUE(server_.StartServer(port_));
        ASSERT_TRUE(WaitUntilServing(port_)) << "the worker never answered on port " << port_;
    }

    void TearDown() override
    {
        server_.StopServer(port_);
        server_.CleanUp();
    }

    // One report query; true when exactly the expected report came back.
    bool ReportAnswered(QueryClient& client) const
    {
        const std::uint8_t query = kReportCommand;
        return client.Send(&query, 1) && IsTheReport(client);
    }

    bool IsTheReport(QueryClient& client) const
    {
        return client.Receive() == static_cast<long>(kReportBytes) &&
               std::memcmp(client.Buffer(), expectedReport_, kReportBytes) == 0;
    }

    std::unique_ptr<DriveState> drives_ = MakeDriveState({
        {0, 38, 45, "ST380011A", "3.06", "5JVABCDE"},
        {3, 41, 52, "WDC WD800JB-00JJC0", "05.01C05", "WD-WMAM9A123456"},
        {15, 29, 33, "HDS722580VLAT20", "V32OA60A", "VNR21EC2C5Z1HM"},
    });
    std::uint8_t expectedReport_[kReportBytes] = {};
    TemperatureServer server_{drives_->table};
    std::uint16_t port_ = 0;
};

TEST_F(ServerLoad, EveryReportQueryIsAnsweredOnceAndMemoryStaysFlat)
{
    // The reference report carries the table as the service must send it.
    ASSERT_EQ(expectedReport_[0], 1);
    ASSERT_EQ(expectedReport_[3 * 120 + 1], 41);
    ASSERT_EQ(expectedReport_[15 * 120 + 2], 33);
    ASSERT_STREQ(reinterpret_cast<const char*>(expectedReport_ + 3 * 120 + 8), "WDC WD800JB-00JJC0");

    QueryClient client(port_);
    ASSERT_TRUE(client.IsOpen());
    long lost = 0;
    long wrong = 0;
    long before = -1;
    for (long i = 0; i < kQueries; ++i) {
        if (i == kWarmUpQueries) {
            before = ResidentKb();
        }
        const std::uint8_t query = kReportCommand;
        if (!client.Send(&query, 1)) {
            ++lost;
            continue;
        }
        const long length = client.Receive();
        if (length < 0) {
            ++lost;
        } else if (length != static_cast<long>(kReportBytes) ||
                   std::memcmp(client.Buffer(), expectedReport_, kReportBytes) != 0) {
            ++wrong;
        }
    }
    const long after = ResidentKb();
    EXPECT_FALSE(client.HasPending()) << "a query was answered twice";
    EXPECT_EQ(lost, 0) << "of " << kQueries << " queries";
    EXPECT_EQ(wrong, 0) << "of " << kQueries << " queries";

    ASSERT_GT(before, 0) << "no VmRSS in /proc/self/status";
    std::printf("%ld report queries: %ld lost, %ld wrong; VmRSS %ld kB after %ld, %ld kB at the end\n", kQueries,
                lost, wrong, before, kWarmUpQueries, after);
    RecordProperty("queries", std::to_string(kQueries));
    RecordProperty("lost", std::to_string(lost));
    RecordProperty("rss_kb_after_warm_up", std::to_string(before));
    RecordProperty("rss_kb_at_end", std::to_string(after));
    EXPECT_LT(after - before, kMemoryBoundKb) << "resident memory grew from " << before << " kB to " << after << " kB";
    EXPECT_TRUE(TakeShownMessages().empty());
}

// Random lengths 0..3000 and random bytes, one-byte commands among them on purpose. The
// stop byte alone is left out: from loopback it legitimately ends the service.
TEST_F(ServerLoad, RandomDatagramsBetweenReportQueries)
{
    const unsigned seed = 20040601;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, kLongestDatagram);
    std::uniform_int_distribution<int> kind(0, 9);

    QueryClient client(port_);
    ASSERT_TRUE(client.IsOpen());
    std::vector<std::uint8_t> datagram(kLongestDatagram);
    long sent = 0;
    long oneByte = 0;
    long expectedNotices = 0;
    long failedQueries = 0;
    long strayAnswers = 0;
    // Answers still due, in order: echoes (1) and reports (0) the random bytes asked for.
    std::vector<int> due;
    while (sent < kRandomDatagrams) {
        due.clear();
        for (int k = 0; k < kDatagramsPerQuery && sent < kRandomDatagrams; ++k, ++sent) {
            // Three in ten are one byte long: otherwise the commands would hardly occur.
            const std::size_t size = kind(random) < 3 ? 1 : length(random);
            for (std::size_t b = 0; b < size; ++b) {
                datagram[b] = static_cast<std::uint8_t>(byte(random));
            }
            if (size == 1) {
                if (datagram[0] == kStopCommand) {
                    datagram[0] = static_cast<std::uint8_t>(byte(random) | 0x80);
                }
                ++oneByte;
                if (datagram[0] == kEchoCommand) {
                    due.push_back(1);
                } else if (datagram[0] == kReportCommand) {
                    due.push_back(0);
                } else {
                    ++expectedNotices;
                }
            }
            ASSERT_TRUE(client.Send(datagram.data(), size)) << "datagram " << sent << " of " << size << " bytes";
        }
        for (const int answer : due) {
            const long got = client.Receive();
            const bool matches = answer == 1 ? got == 1 && client.Buffer()[0] == kEchoCommand
                                             : got == static_cast<long>(kReportBytes) &&
                                                   std::memcmp(client.Buffer(), expectedReport_, kReportBytes) == 0;
            strayAnswers += matches ? 0 : 1;
        }
        failedQueries += ReportAnswered(client) ? 0 : 1;
    }
    std::printf("%ld random datagrams (%ld of one byte, %ld unknown commands); %ld report queries failed\n", sent,
                oneByte, expectedNotices, failedQueries);
    RecordProperty("random_datagrams", std::to_string(sent));
    EXPECT_EQ(failedQueries, 0);
    EXPECT_EQ(strayAnswers, 0) << "echo or report asked by random bytes answered wrongly";

    // Still serving afterwards, with nothing left over.
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(ReportAnswered(client)) << "query " << i << " after the random datagrams";
    }
    EXPECT_FALSE(client.HasPending());

    // Every unknown command was counted; one notice at a time was opened for them.
    EXPECT_EQ(static_cast<long>(server_.UnknownCommands()), expectedNotices);
    EXPECT_GT(expectedNotices, 100) << "the mix must exercise unknown commands";
    while (server_.NoticeOpen()) {
        std::this_thread::yield();
    }
    const std::vector<ShownMessage> shown = TakeShownMessages();
    EXPECT_GE(shown.size(), 1u);
    EXPECT_LE(static_cast<long>(shown.size()), expectedNotices);
    for (const ShownMessage& message : shown) {
        ASSERT_EQ(message, kUnknownCommandNotice);
    }
}

// A port already taken: entry 11, and the service can be started again on another port
// once the dead worker has been collected.
TEST(ServerPortTaken, BindErrorThenServiceStartsOnAFreePort)
{
    TakeShownMessages();
    auto drives = MakeDriveState({{0, 38, 45, "ST380011A", "3.06", "5JVABCDE"}});
    TemperatureServer server(drives->table);
    ASSERT_TRUE(server.StartUp());
    const LoopbackSocket holder("0.0.0.0", 0);
    ASSERT_TRUE(holder.IsOpen());
    ASSERT_TRUE(server.StartServer(holder.Port()));
    server.StopServer(holder.Port());
    EXPECT_EQ(TakeShownMessages(), std::vector<ShownMessage>({{MessageKind::Error, 11}}));

    const std::uint16_t port = FreeUdpPort();
    ASSERT_TRUE(server.StartServer(port));
    ASSERT_TRUE(WaitUntilServing(port));
    QueryClient client(port);
    const std::uint8_t query = kReportCommand;
    ASSERT_TRUE(client.Send(&query, 1));
    EXPECT_EQ(client.Receive(), static_cast<long>(kReportBytes));
    EXPECT_EQ(client.Buffer()[1], 38);
    server.StopServer(port);
    server.CleanUp();
    EXPECT_TRUE(TakeShownMessages().empty());
}

}  // namespace
