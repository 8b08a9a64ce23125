#include "mqtt_publisher.h"
#include "ws32_calls.h"
#include "ws32lib.h"
#include "ws32_stream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

// A peer on loopback for one connection: takes it, waits for the CONNECT, answers `reply`
// (nothing: closes at once) and closes.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::string reply) : reply_(std::move(reply))
    {
        listener_ = Ws32OpenListener(ws32_htonl(0x7F000001), 0, 1);
        port_ = Ws32LocalPort(listener_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedPeer()
    {
        thread_.join();
        ws32_closesocket(listener_);
    }
    std::uint16_t Port() const { return port_; }

private:
    void Serve()
    {
        sockaddr_in peer{};
        const Ws32Socket accepted = Ws32Accept(listener_, peer);
        if (accepted == kInvalidSocket) {
            return;
        }
        Ws32SetNonBlocking(accepted);
        if (!reply_.empty()) {
            Ws32WaitEntry entry;
            entry.socket = accepted;
            entry.wantRead = true;
            Ws32WaitSockets(&entry, 1, 3000);
            char buffer[512];
            int count = 0;
            Ws32Receive(accepted, buffer, sizeof buffer, count);
            Ws32Send(accepted, reply_.data(), static_cast<int>(reply_.size()), count);
            Ws32WaitSockets(&entry, 1, 3000);  // the client's DISCONNECT or its close
        }
        ws32_closesocket(accepted);
    }

    std::string reply_;
    Ws32Socket listener_ = kInvalidSocket;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

// What the dialog's test says for each answer on loopback, in both languages ("#" is the
// port, a byte no code page 932 character holds). The English words are kelvixd's journal's and must not change.
TEST(MqttTestConnectionTest, SaysWhatHappened)
{
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    Ws32StartupRecord startup{};
    ASSERT_EQ(Ws32StartSockets(startup), 0);
    enum class Peer { None, Closed, Scripted };
    const struct {
        const char* what;
        Peer peer;
        std::string reply;
        bool connected;
        const char* english;
        const char* japanese;
    } cases[] = {
        {"nothing listens", Peer::Closed, "", false, "the connection to 127.0.0.1 port # was refused or failed",
         "127.0.0.1 のポート # への接続が拒否されたか、失敗しました"},
        {"closed at once", Peer::Scripted, "", false,
         "the broker closed the connection without an answer (is it an MQTT port?)",
         "ブローカーが応答せずに接続を切りました (MQTT のポートですか?)"},
        {"a web server", Peer::Scripted,
         "HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain\r\nContent-Length: 11\r\nConnection: close\r\n"
         "\r\nBad Request",
         false,
         "the broker's answer is not MQTT", "ブローカーの応答が MQTT ではありません"},
        {"a bad password", Peer::Scripted, std::string("\x20\x02\x00\x04", 4), false,
         "the broker refused: bad user name or password",
         "ブローカーが拒否しました: ユーザー名またはパスワードが違います"},
        {"accepted", Peer::Scripted, std::string("\x20\x02\x00\x00", 4), true,
         "connected to 127.0.0.1:#: the broker accepted", "127.0.0.1:# に接続し、ブローカーが受け付けました"},
        {"no host", Peer::None, "", false, "no broker host is set", "ブローカーのホストが設定されていません"},
    };
    for (const auto& c : cases) {
        MqttSettings settings;
        std::unique_ptr<ScriptedPeer> peer;
        if (c.peer == Peer::Scripted) {
            peer = std::make_unique<ScriptedPeer>(c.reply);
            settings.port = peer->Port();
        } else if (c.peer == Peer::Closed) {
            const Ws32Socket closed = Ws32OpenListener(ws32_htonl(0x7F000001), 0, 1);
            settings.port = Ws32LocalPort(closed);
            ws32_closesocket(closed);
        }
        settings.host = c.peer == Peer::None ? "" : "127.0.0.1";
        MqttOutcome result;
        EXPECT_EQ(TestMqttConnection(settings, "kelvix-test", result), c.connected) << c.what;
        peer.reset();
        const auto withPort = [&](std::string text) {
            const std::size_t n = text.find('#');
            return n == std::string::npos ? text : text.replace(n, 1, std::to_string(settings.port));
        };
        EXPECT_EQ(OutcomeText(result, Language::English), withPort(c.english)) << c.what;
        EXPECT_EQ(OutcomeText(result, Language::Japanese), withPort(c.japanese)) << c.what;
    }
    Ws32EndSockets();
    WS32LIB_UnloadDLL();
}

// The dialog's test against a "broker" that takes the connection and never answers:
// told to stop, it ends within its read slice, not at its 5 s wait for the answer.
TEST(MqttTestConnectionTest, StopsSoonWhenCancelled)
{
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    Ws32StartupRecord startup{};
    ASSERT_EQ(Ws32StartSockets(startup), 0);
    const Ws32Socket silent = Ws32OpenListener(ws32_htonl(0x7F000001), 0, 1);
    ASSERT_NE(silent, kInvalidSocket);
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = Ws32LocalPort(silent);

    std::atomic<bool> cancel{false};
    MqttOutcome result;
    bool connected = true;
    const auto start = std::chrono::steady_clock::now();
    std::thread test([&] { connected = TestMqttConnection(settings, "kelvix-test", result, &cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancel = true;
    test.join();
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_FALSE(connected);
    EXPECT_EQ(OutcomeText(result, Language::English), "stopped while connecting");
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    // ...and its connection is closed by then.
    sockaddr_in peer{};
    const Ws32Socket accepted = Ws32Accept(silent, peer);
    ASSERT_NE(accepted, kInvalidSocket);
    Ws32SetNonBlocking(accepted);
    char buffer[256];
    int count = 0;
    StreamResult read = StreamResult::Done;
    while (read == StreamResult::Done) {
        read = Ws32Receive(accepted, buffer, sizeof buffer, count);  // the CONNECT packet, then the end
    }
    const auto closedAfter = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(read, StreamResult::Closed);
    ws32_closesocket(accepted);
    ws32_closesocket(silent);
    Ws32EndSockets();
    WS32LIB_UnloadDLL();
}

}  // namespace
