// The export services on loopback: real TCP clients against the serving thread, with the
// inputs that must not hang, crash or stall it. The clients use the socket binding too,
// so the same tests run natively and, under Wine, on the Windows socket calls.
#include "export_server.h"
#include "web_site.h"
#include "ws32_calls.h"
#include "ws32_stream.h"
#include "ws32lib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A blocking client socket with a guard time on every read, so a server that never
// answers fails the test instead of hanging it.
class Client {
public:
    explicit Client(std::uint16_t port)
    {
        socket_ = ws32_socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = ws32_htons(port);
        address.sin_addr.s_addr = ws32_htonl(INADDR_LOOPBACK);
        connected_ = ws32_connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client() { Close(); }

    bool Connected() const { return connected_; }
    bool Send(const std::string& bytes) const
    {
        return ws32_send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
    }
    // Everything until the server closes (or the guard time passes: `closed` stays false).
    std::string ReadAll(bool* closed = nullptr) const
    {
        std::string all;
        char buffer[4096];
        for (;;) {
            if (Ws32WaitReadable(socket_, 10, 0) != WaitResult::Readable) {
                if (closed != nullptr) {
                    *closed = false;
                }
                return all;
            }
            const int got = ws32_recv(socket_, buffer, sizeof buffer, 0);
            if (got <= 0) {
                if (closed != nullptr) {
                    *closed = true;  // the end, or a reset: either way the server closed
                }
                return all;
            }
            all.append(buffer, static_cast<std::size_t>(got));
        }
    }
    // Closes without reading what came: the unread answer makes the close a reset, as a
    // client that goes away mid-answer does.
    void Close()
    {
        if (socket_ != kInvalidSocket) {
            ws32_closesocket(socket_);
            socket_ = kInvalidSocket;
        }
    }

private:
    Ws32Socket socket_ = kInvalidSocket;
    bool connected_ = false;
};

DriveSnapshot TwoDrives()
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    snapshot.count = 2;
    snapshot.warningTemperature = 50;
    snapshot.drives[0].driveNumber = 0;
    snapshot.drives[0].condition = DriveCondition::Temperature;
    snapshot.drives[0].temperature = 35;
    std::strcpy(snapshot.drives[0].model, "ST380011A");
    std::strcpy(snapshot.drives[0].serial, "5JV3ABCD");
    snapshot.drives[1].driveNumber = 2;
    snapshot.drives[1].condition = DriveCondition::Temperature;
    snapshot.drives[1].temperature = 38;
    std::strcpy(snapshot.drives[1].model, "WDC WD800JB-00JJC0");
    std::strcpy(snapshot.drives[1].serial, "WMAJ91234567");
    return snapshot;
}

template <typename Condition>
bool WaitFor(Condition condition)
{
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The socket library stays loaded and started for the whole program, as in the monitor.
class SocketLibrary : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_EQ(WS32LIB_LoadDLL(), 0);
        ASSERT_EQ(Ws32StartSockets(startup_), 0);
    }
    void TearDown() override
    {
        Ws32EndSockets();
        WS32LIB_UnloadDLL();
    }

private:
    Ws32StartupRecord startup_{};
};
const auto* const g_socketLibrary = ::testing::AddGlobalTestEnvironment(new SocketLibrary);

class ExportServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        board_.Publish(TwoDrives());
    }
    void TearDown() override
    {
        server_.Stop();
    }
    // Loopback allowed without a rate limit unless a test says otherwise.
    void Start(unsigned timeoutMs = 5000, const char* listenAddress = "127.0.0.1",
               const char* allowedHosts = "127.0.0.0/8", std::uint32_t reportsPerSecond = 0)
    {
        ExportConfig config;
        ASSERT_TRUE(MakeAccessRules(allowedHosts, reportsPerSecond, config.access));
        config.hddtempPort = 0;
        config.metricsPort = 0;
        ASSERT_TRUE(ParseListenAddress(listenAddress, config.listenAddress));
        config.connectionTimeoutMs = timeoutMs;
        config.web = webOn_ ? &site_ : nullptr;
        // Port 0 turns a service off; the tests want both on, on ports the system picks.
        ASSERT_TRUE(StartOnFreePorts(config));
    }
    // A free port can be taken by another test between the probe and the start: try again.
    bool StartOnFreePorts(ExportConfig config)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            config.hddtempPort = FreePort();
            do {
                config.metricsPort = FreePort();
            } while (config.metricsPort == config.hddtempPort);
            if (server_.Start(config)) {
                return true;
            }
        }
        return false;
    }
    static std::uint16_t FreePort()
    {
        const Ws32Socket probe = Ws32OpenListener(ws32_htonl(INADDR_LOOPBACK), 0, 1);
        const std::uint16_t port = Ws32LocalPort(probe);
        ws32_closesocket(probe);
        return port;
    }
    std::string Scrape(const std::string& request)
    {
        Client client(server_.MetricsPort());
        EXPECT_TRUE(client.Connected());
        EXPECT_TRUE(client.Send(request));
        return client.ReadAll();
    }

    SnapshotBoard board_;
    RefusedRequests refused_;
    ExportServer server_{board_, "9.8.7", refused_};
    bool webOn_ = false;
    WebSite site_{board_, nullptr, WebSiteInfo{}};
};

TEST_F(ExportServerTest, HddtempAnswersAtOnceAndCloses)
{
    Start();
    Client client(server_.HddtempPort());
    ASSERT_TRUE(client.Connected());
    bool closed = false;
    EXPECT_EQ(client.ReadAll(&closed), "|/dev/PhysicalDrive0|ST380011A|35|C||/dev/PhysicalDrive2|WDC WD800JB-00JJC0|38|C|");
    EXPECT_TRUE(closed);
}

TEST_F(ExportServerTest, AnswerFollowsTheLastPublishedSnapshot)
{
    Start();
    DriveSnapshot hotter = TwoDrives();
    hotter.drives[1].temperature = 61;
    board_.Publish(hotter);
    EXPECT_NE(Client(server_.HddtempPort()).ReadAll().find("|WDC WD800JB-00JJC0|61|C|"), std::string::npos);
    EXPECT_NE(Scrape("GET /metrics HTTP/1.1\r\n\r\n").find("kelvix_drive_temperature_celsius{drive=\"2\",serial=\"WMAJ91234567\"} 61\n"),
        std::string::npos);
}

TEST_F(ExportServerTest, MetricsRoutes)
{
    Start();
    struct Case {
        const char* request;
        const char* statusLine;
    };
    const Case cases[] = {
        {"GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200 OK\r\n"},
        {"GET /other HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found\r\n"},
        {"PUT /metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 405 Method Not Allowed\r\n"},
        {"\x01\x02\x03\xff junk\n\n", "HTTP/1.1 400 Bad Request\r\n"},
    };
    for (const Case& c : cases) {
        const std::string answer = Scrape(c.request);
        EXPECT_EQ(answer.rfind(c.statusLine, 0), 0u) << c.request << " gave: " << answer.substr(0, 60);
    }
    const std::string page = Scrape("GET /metrics HTTP/1.1\r\n\r\n");
    const std::size_t bodyAt = page.find("\r\n\r\n") + 4;
    EXPECT_NE(page.find("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"), std::string::npos);
    EXPECT_NE(page.find("Content-Length: " + std::to_string(page.size() - bodyAt) + "\r\n"), std::string::npos);
    EXPECT_NE(page.find("kelvix_build_info{version=\"9.8.7\"} 1\n", bodyAt), std::string::npos);
}

TEST_F(ExportServerTest, HeadGetsTheHeadOfTheSamePageAlone)
{
    Start();
    const std::string page = Scrape("GET /metrics HTTP/1.1\r\n\r\n");
    const std::string head = Scrape("HEAD /metrics HTTP/1.1\r\n\r\n");
    const std::size_t bodyAt = page.find("\r\n\r\n");
    ASSERT_NE(bodyAt, std::string::npos);
    EXPECT_EQ(head, page.substr(0, bodyAt + 4));
    EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n"), page);
}

TEST_F(ExportServerTest, SilentClientIsClosedAfterTheTimeOut)
{
    Start(300);
    Client silent(server_.MetricsPort());
    ASSERT_TRUE(silent.Connected());
    bool closed = false;
    const auto start = Clock::now();
    EXPECT_EQ(silent.ReadAll(&closed), "");
    EXPECT_TRUE(closed) << "closed by the server, not by the test's guard time";
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(WaitFor([&] { return server_.Dropped() >= 1; }));
    // And the service goes on.
    EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
}

TEST_F(ExportServerTest, MegabyteRequestLineIsRefused)
{
    Start();
    Client client(server_.MetricsPort());
    ASSERT_TRUE(client.Connected());
    std::thread sender([&client] { client.Send("GET /" + std::string(1 << 20, 'a')); });
    bool closed = false;
    const std::string answer = client.ReadAll(&closed);
    sender.join();
    EXPECT_TRUE(closed);
    // The answer may be lost to the reset of the unread rest; a closed connection is the
    // least the client must see, and the refusal if anything.
    if (!answer.empty()) {
        EXPECT_EQ(answer.rfind("HTTP/1.1 414", 0), 0u);
    }
    EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
}

TEST_F(ExportServerTest, HundredsOfConnectionsAtOnceAllEndAndServiceGoesOn)
{
    Start(2000);
    constexpr int kClients = 300;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<Client>(i % 2 == 0 ? server_.MetricsPort() : server_.HddtempPort()));
    }
    for (int i = 0; i < kClients; i += 2) {
        clients[i]->Send("GET /metrics HTTP/1.1\r\n\r\n");
    }
    int answered = 0;
    for (auto& client : clients) {
        bool closed = false;
        const std::string answer = client->ReadAll(&closed);
        EXPECT_TRUE(closed) << "every connection ends: answered or refused";
        answered += answer.empty() ? 0 : 1;
    }
    EXPECT_GT(answered, 0);
    EXPECT_TRUE(WaitFor([&] { return server_.Answered() == static_cast<unsigned long>(answered); }));
    EXPECT_TRUE(WaitFor([&] { return server_.Answered() + server_.Dropped() == kClients; }));
    EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
}

TEST_F(ExportServerTest, ClientGoneMidAnswerLeavesTheServiceWorking)
{
    // A snapshot with long texts makes an answer bigger than a small receive window.
    DriveSnapshot big = TwoDrives();
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        big.drives[i] = big.drives[0];
        big.drives[i].driveNumber = i;
        std::memset(big.drives[i].model, '"', sizeof big.drives[i].model - 1);
    }
    big.count = kMaxDrives;
    board_.Publish(big);
    Start();
    for (int round = 0; round < 20; ++round) {
        Client leaving(server_.MetricsPort());
        ASSERT_TRUE(leaving.Connected());
        leaving.Send("GET /metrics HTTP/1.1\r\n\r\n");
        leaving.Close();
    }
    EXPECT_TRUE(WaitFor([&] { return server_.Answered() + server_.Dropped() == 20; }));
    EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
}

TEST_F(ExportServerTest, StopEndsPromptlyWithClientsConnected)
{
    Start();
    Client silent(server_.MetricsPort());
    ASSERT_TRUE(silent.Connected());
    const auto start = Clock::now();
    server_.Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    bool closed = false;
    silent.ReadAll(&closed);
    EXPECT_TRUE(closed) << "the open connection is closed by the stop";
    EXPECT_FALSE(Client(server_.MetricsPort()).Connected()) << "nothing listens after the stop";
    EXPECT_TRUE(StartOnFreePorts(ExportConfig{})) << "and it starts again";
}

TEST_F(ExportServerTest, SlowClientIsAnsweredLaterWhileOthersAreServed)
{
    Start(5000);
    Client slow(server_.MetricsPort());
    ASSERT_TRUE(slow.Connected());
    ASSERT_TRUE(slow.Send("GET /metr"));
    // Others are answered while the slow one is still open: nothing waits for it.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
        EXPECT_EQ(Client(server_.HddtempPort()).ReadAll().rfind("|/dev/PhysicalDrive0|", 0), 0u);
    }
    EXPECT_TRUE(WaitFor([&] { return server_.Answered() == 10; }));
    EXPECT_EQ(server_.Dropped(), 0u);
    ASSERT_TRUE(slow.Send("ics HTTP/1.1\r\n\r\n"));
    bool closed = false;
    EXPECT_EQ(slow.ReadAll(&closed).rfind("HTTP/1.1 200", 0), 0u);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(WaitFor([&] { return server_.Answered() == 11; }));
}

TEST_F(ExportServerTest, StopWakesTheAcceptsOnEveryListenAddress)
{
    for (const char* address : {"", "127.0.0.1"}) {
        Start(5000, address);
        EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u) << address;
        const auto start = Clock::now();
        server_.Stop();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << address;
        EXPECT_FALSE(server_.Running());
        EXPECT_FALSE(Client(server_.MetricsPort()).Connected()) << address;
        EXPECT_EQ(server_.Dropped(), 0u) << "the stop's own connection is not counted";
    }
}

TEST_F(ExportServerTest, TakenPortFailsTheStartAndLeavesNothingOpen)
{
    Start();
    const std::uint16_t taken = server_.MetricsPort();
    ExportServer second(board_, "1", refused_);
    ExportConfig config;
    config.hddtempPort = FreePort();
    config.metricsPort = taken;
    ParseListenAddress("127.0.0.1", config.listenAddress);
    EXPECT_FALSE(second.Start(config));
    EXPECT_FALSE(second.Running());
    ExportServer third(board_, "1", refused_);
    config.metricsPort = FreePort();
    EXPECT_TRUE(third.Start(config)) << "the first attempt's hddtemp listener was closed again";
}

TEST_F(ExportServerTest, PeerOutsideTheAllowedNetworksGetsNoAnswer)
{
    Start(5000, "127.0.0.1", "10.0.0.0/8, 192.168.1.7");
    struct Case {
        std::uint16_t port;
        const char* request;
    };
    const Case cases[] = {{server_.HddtempPort(), ""}, {server_.MetricsPort(), "GET /metrics HTTP/1.1\r\n\r\n"}};
    unsigned long refusals = 0;
    for (const Case& c : cases) {
        Client client(c.port);
        ASSERT_TRUE(client.Connected());  // the system completes it before the accept
        client.Send(c.request);
        bool closed = false;
        EXPECT_EQ(client.ReadAll(&closed), "") << c.port;
        EXPECT_TRUE(closed) << "closed by the server, not by the test's guard time";
        EXPECT_TRUE(WaitFor([&] { return refused_.notAllowed == refusals + 1; })) << c.port;
        refusals = refused_.notAllowed;
    }
    EXPECT_EQ(server_.Answered(), 0u);
    EXPECT_EQ(refused_.tooOften, 0u);
}

TEST_F(ExportServerTest, RateLimitCapsTheAnswersToOneSource)
{
    constexpr std::uint32_t kPerSecond = 2;  // a quiet source may get twice that at once
    Start(5000, "127.0.0.1", "127.0.0.0/8", kPerSecond);
    const auto start = Clock::now();
    constexpr int kTries = 12;
    int answered = 0;
    for (int i = 0; i < kTries; ++i) {
        answered += Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0) == 0 ? 1 : 0;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The burst, and what refilled while the scrapes went (plus one for a token that
    // came between the clocks).
    EXPECT_LE(answered, static_cast<int>(2 * kPerSecond + kPerSecond * seconds) + 1);
    EXPECT_GE(answered, static_cast<int>(2 * kPerSecond));
    EXPECT_TRUE(WaitFor([&] { return refused_.tooOften == static_cast<unsigned long>(kTries - answered); }));
    EXPECT_EQ(refused_.notAllowed, 0u);
    // The hddtemp service has its own bucket for the same source.
    EXPECT_EQ(Client(server_.HddtempPort()).ReadAll().rfind("|/dev/PhysicalDrive0|", 0), 0u);
}

TEST_F(ExportServerTest, WebPageSharesTheMetricsPortOnlyWhenOn)
{
    Start();
    EXPECT_EQ(Scrape("GET / HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 404 Not Found\r\nContent-Type: text/plain", 0), 0u);
    server_.Stop();
    webOn_ = true;
    Start();
    const std::string page = Scrape("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(page.rfind("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n", 0), 0u) << page.substr(0, 80);
    EXPECT_NE(page.find("\r\nContent-Security-Policy: default-src 'none';"), std::string::npos);
    EXPECT_NE(page.find("<article class=\"card\" id=\"drive-2\""), std::string::npos);
    EXPECT_EQ(Scrape("GET /api/v1/drives HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200 OK\r\nContent-Type: application/json", 0), 0u);
    EXPECT_EQ(Scrape("GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4", 0), 0u);
}

// The web page under the inputs of the tests above: each gets its status, hundreds of
// idle connections end, a slow sender is answered, and the drives' data stays the same.
TEST_F(ExportServerTest, HostileWebRequestsGetTheirStatusAndChangeNothing)
{
    webOn_ = true;
    Start(100);
    const std::string before = Scrape("GET /api/v1/drives HTTP/1.1\r\n\r\n");
    struct Case {
        std::string request;
        const char* statusLine;
    };
    const Case cases[] = {
        {"GET /" + std::string(3000, 'a') + " HTTP/1.1\r\n\r\n", "HTTP/1.1 414"},
        {"GET /api/v1/history?drive=" + std::string(2100, '9') + " HTTP/1.1\r\n\r\n", "HTTP/1.1 414"},
        {"GET /api/v1/history?drive=1;range=day HTTP/1.1\r\n\r\n", "HTTP/1.1 400"},
        {"GET /api/v1/history?drive=%00&range=day HTTP/1.1\r\n\r\n", "HTTP/1.1 400"},
        {"GET /api/v1/history?drive=5&range=day HTTP/1.1\r\n\r\n", "HTTP/1.1 404"},
        {"GET /drive?n=5 HTTP/1.1\r\n\r\n", "HTTP/1.1 404"},
        {"POST /api/v1/drives HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", "HTTP/1.1 405"},
        {"GET / HTTP/1.1\r\nX: " + std::string(20000, 'x') + "\r\n\r\n", "HTTP/1.1 431"},
    };
    for (const Case& c : cases) {
        const std::string answer = Scrape(c.request);
        EXPECT_EQ(answer.rfind(c.statusLine, 0), 0u) << c.request.substr(0, 60) << " gave: " << answer.substr(0, 60);
    }
    constexpr int kIdle = 300;
    std::vector<std::unique_ptr<Client>> idle;
    for (int i = 0; i < kIdle; ++i) {
        idle.push_back(std::make_unique<Client>(server_.MetricsPort()));
    }
    for (auto& client : idle) {
        bool closed = false;
        EXPECT_EQ(client->ReadAll(&closed), "");
        EXPECT_TRUE(closed) << "refused at once or timed out";
    }
    Client slow(server_.MetricsPort());
    ASSERT_TRUE(slow.Send("GET /api/v1/dr"));
    EXPECT_EQ(Scrape("GET /app.js HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u) << "others go first";
    ASSERT_TRUE(slow.Send("ives HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(slow.ReadAll(), before) << "the slow sender gets the same answer";
    EXPECT_EQ(Scrape("GET /api/v1/drives HTTP/1.1\r\n\r\n"), before);
}

TEST(ListenAddress, ParsedOrRefused)
{
    struct Case {
        const char* text;
        bool valid;
        std::uint32_t hostOrder;
    };
    const Case cases[] = {
        {"", true, 0},
        {"127.0.0.1", true, 0x7F000001},
        {"192.168.10.254", true, 0xC0A80AFE},
        {"0.0.0.0", true, 0},
        {"256.0.0.1", false, 0},
        {"1.2.3", false, 0},
        {"1.2.3.4.5", false, 0},
        {"1..2.3", false, 0},
        {"1.2.3.4 ", false, 0},
        {"localhost", false, 0},
        {"0001.2.3.4", false, 0},
        {"::1", false, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t address = 0xDEADBEEF;
        EXPECT_EQ(ParseListenAddress(c.text, address), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(address, ws32_htonl(c.hostOrder)) << c.text;
        }
    }
}

}  // namespace
