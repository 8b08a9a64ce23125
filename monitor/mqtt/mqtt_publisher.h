// MqttPublisher: keeps Home Assistant told about the drives, on a thread of its own. The
// measuring thread hands over each snapshot (a copy under a lock, never a wait on the
// network); only the newest waits to be sent, so a broker that is down, refusing or slow
// costs neither time nor memory. Lost connections are tried again after growing waits.
#pragma once

#include "drive_snapshot.h"
#include "mqtt_discovery.h"
#include "mqtt_outcome.h"
#include "mqtt_settings.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class MqttLink;
namespace mqtt { struct Packet; }

struct MqttStatus {
    bool enabled = false;
    bool connected = false;
    std::uint64_t connects = 0;   // connections the broker accepted
    std::uint64_t failures = 0;   // attempts that failed and connections lost
    std::uint64_t published = 0;  // messages sent
    std::uint64_t skipped = 0;    // snapshots replaced by a newer one before they were sent
    std::string broker;           // "host:port"
    MqttOutcome lastError;        // what went wrong last; empty while all is well
};

// Told each change of connection in English words (kelvixd's journal, KELVIX's debug
// output). Called on the publisher's thread. Never given the password.
using MqttLogFunction = std::function<void(const std::string&)>;

// The client id a program uses: "<program>-<host>-<process id>", so neither another
// program nor a second copy of the same one knocks this one off the broker.
std::string MakeMqttClientId(const std::string& program, const std::string& host, unsigned long processId);

// The publisher's status as the metrics show it.
PublisherState MetricsState(const MqttStatus& status);

class MqttPublisher {
public:
    MqttPublisher(const MqttSettings& settings, const MqttOrigin& origin, std::string clientId, MqttLogFunction log);
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Starts the thread (nothing when the settings have no host).
    void Start();
    // Says "offline", disconnects and ends the thread.
    void Stop();
    // The newest measurement, to be sent when the thread is free.
    void Offer(const DriveSnapshot& snapshot);
    MqttStatus Status() const;

    // The waits between attempts, seconds: 1, 2, 4, ... up to this.
    static constexpr int kMaxRetrySeconds = 60;

private:
    void Run();
    // One connection from CONNECT to its end; false with `error` when it failed or was lost.
    bool Session(MqttOutcome& error);
    bool Send(const std::string& packet);
    std::uint16_t TakePacketId();
    bool PublishMessage(const MqttMessage& message);
    bool PublishSnapshot(const DriveSnapshot& snapshot);
    // Empties the entities of every drive announced (now or by an earlier run) that the
    // snapshot no longer has.
    bool RemoveGone(const DriveSnapshot& snapshot);
    bool Handle(const mqtt::Packet& packet, bool& birth);
    bool WaitForStop(int milliseconds);
    void Log(const std::string& text);
    void SetError(const MqttOutcome& error, bool connected);

    const MqttSettings settings_;
    const DiscoveryTopics topics_;
    const std::string clientId_;
    const MqttLogFunction log_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::atomic<bool> cancel_{false};  // Stop's word to a connection attempt waiting for its answer
    bool pending_ = false;
    std::unique_ptr<DriveSnapshot> offered_;  // the newest snapshot, when pending_
    MqttStatus status_;
    std::thread thread_;

    // The publisher thread's own state.
    std::unique_ptr<MqttLink> link_;
    std::unique_ptr<DriveSnapshot> current_;       // the last snapshot sent
    std::map<std::string, std::string> announced_;  // drive id -> its configs, as the broker keeps them
    bool hostAnnounced_ = false;
    bool removalDue_ = false;  // drives of an earlier run were found on the broker
    bool reassertDue_ = false;  // another client set our availability offline
    std::uint16_t nextPacketId_ = 1;
    unsigned unacknowledged_ = 0;
};

// Connects, waits for the broker's answer and disconnects: the dialog's "test
// connection". True when the broker accepted; `result` says what happened.
// `cancel` set ends the wait for the answer early (the connect itself is bounded by 5 s).
bool TestMqttConnection(const MqttSettings& settings, const std::string& clientId, MqttOutcome& result,
                        const std::atomic<bool>* cancel = nullptr);
