#include "mqtt_publisher.h"

#include "mqtt_link.h"
#include "mqtt_packets.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kConnectMilliseconds = 5000;
constexpr int kWriteMilliseconds = 5000;
constexpr int kReadSliceMilliseconds = 200;
constexpr std::uint16_t kKeepAliveSeconds = 30;
constexpr int kPingAnswerSeconds = 15;
// QoS 1 messages the broker may owe an acknowledgement for before we wait for it.
constexpr unsigned kMaxUnacknowledged = 64;
// Drives of earlier runs remembered for removal: a bound against a broker full of junk.
constexpr std::size_t kMaxRemembered = 4 * kMaxDrives;
constexpr char kOnline[] = "online";
constexpr char kOffline[] = "offline";

int MillisecondsSince(Clock::time_point then)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - then).count());
}

// Connects and waits for CONNACK: the part of a session the dialog's test shares.
bool OpenSession(MqttLink& link, const MqttSettings& settings, const mqtt::ConnectOptions& options,
                 mqtt::PacketReader& reader, MqttOutcome& error, const std::atomic<bool>* cancel = nullptr)
{
    if (!link.Open(settings.host, static_cast<std::uint16_t>(settings.port), kConnectMilliseconds, error)) {
        return false;
    }
    const std::string connect = mqtt::EncodeConnect(options);
    if (connect.empty() || !link.WriteAll(connect.data(), connect.size(), kWriteMilliseconds)) {
        error = {KelvixText::MqttClosedBeforeSetUp};
        return false;
    }
    const Clock::time_point start = Clock::now();
    while (MillisecondsSince(start) < kConnectMilliseconds) {
        if (cancel != nullptr && cancel->load()) {
            error = {KelvixText::MqttStoppedWhileConnecting};
            return false;
        }
        char buffer[512];
        int count = 0;
        const StreamResult result = link.Read(buffer, sizeof buffer, count, kReadSliceMilliseconds);
        if (result == StreamResult::Closed || result == StreamResult::Failed) {
            error = {KelvixText::MqttClosedWithoutAnswer};
            return false;
        }
        if (count > 0 && !reader.Feed(buffer, static_cast<std::size_t>(count))) {
            error = {KelvixText::MqttAnswerNotMqtt};
            return false;
        }
        mqtt::Packet packet;
        const mqtt::ReadResult read = reader.Next(packet);
        if (read == mqtt::ReadResult::Malformed || (read == mqtt::ReadResult::Packet &&
                                                    packet.type != mqtt::PacketType::ConnAck)) {
            error = {KelvixText::MqttAnswerNotMqtt};
            return false;
        }
        if (read == mqtt::ReadResult::Packet) {
            if (packet.returnCode != 0) {
                error = ConnAckRefusal(packet.returnCode);
                return false;
            }
            return true;
        }
    }
    error = {KelvixText::MqttNoAnswerWithin, std::to_string(kConnectMilliseconds / 1000)};
    return false;
}

}  // namespace

std::string MakeMqttClientId(const std::string& program, const std::string& host, unsigned long processId)
{
    return SafeId(program) + "-" + SafeId(host).substr(0, 32) + "-" + std::to_string(processId);
}

MqttPublisher::MqttPublisher(const MqttSettings& settings, const MqttOrigin& origin, std::string clientId,
                             MqttLogFunction log)
    : settings_(settings), topics_(settings, origin), clientId_(std::move(clientId)), log_(std::move(log)),
      offered_(std::make_unique<DriveSnapshot>())
{
    status_.enabled = settings.Enabled();
    status_.broker = settings.host + ":" + std::to_string(settings.port);
}

MqttPublisher::~MqttPublisher()
{
    Stop();
}

void MqttPublisher::Start()
{
    if (!settings_.Enabled() || thread_.joinable()) {
        return;
    }
    stopping_ = false;
    cancel_ = false;
    thread_ = std::thread(&MqttPublisher::Run, this);
}

void MqttPublisher::Stop()
{
    cancel_ = true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void MqttPublisher::Offer(const DriveSnapshot& snapshot)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!status_.enabled) {
            return;
        }
        if (pending_) {
            ++status_.skipped;
        }
        *offered_ = snapshot;
        pending_ = true;
    }
    wake_.notify_all();
}

MqttStatus MqttPublisher::Status() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

void MqttPublisher::Log(const std::string& text)
{
    if (log_) {
        log_(text);
    }
}

void MqttPublisher::SetError(const MqttOutcome& error, bool connected)
{
    std::lock_guard<std::mutex> lock(mutex_);
    status_.lastError = error;
    status_.connected = connected;
}

bool MqttPublisher::WaitForStop(int milliseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping_; });
}

void MqttPublisher::Run()
{
    int retrySeconds = 1;
    bool failedBefore = false;
    while (!WaitForStop(0)) {
        MqttOutcome error;
        const std::uint64_t connectsBefore = Status().connects;
        const bool clean = Session(error);
        link_.reset();
        const bool wasConnected = Status().connects != connectsBefore;
        if (clean) {
            break;  // stopped while connected
        }
        if (wasConnected) {
            retrySeconds = 1;
            failedBefore = false;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++status_.failures;
            status_.connected = false;
            status_.lastError = error;
        }
        // Each lost connection is told; failures to connect again only while the wait grows,
        // so a broker down for days leaves a handful of lines, not one a minute.
        if (wasConnected || !failedBefore || retrySeconds < kMaxRetrySeconds) {
            Log("MQTT broker " + status_.broker + ": " + OutcomeText(error, Language::English) +
                "; trying again in " + std::to_string(retrySeconds) + " s");
        }
        failedBefore = true;
        if (WaitForStop(retrySeconds * 1000)) {
            break;
        }
        retrySeconds = std::min(retrySeconds * 2, kMaxRetrySeconds);
    }
    SetError(MqttOutcome(), false);
}

std::uint16_t MqttPublisher::TakePacketId()
{
    const std::uint16_t id = nextPacketId_;
    nextPacketId_ = static_cast<std::uint16_t>(nextPacketId_ == 0xFFFF ? 1 : nextPacketId_ + 1);
    return id;
}

bool MqttPublisher::Send(const std::string& packet)
{
    return !packet.empty() && link_->WriteAll(packet.data(), packet.size(), kWriteMilliseconds);
}

bool MqttPublisher::PublishMessage(const MqttMessage& message)
{
    std::uint16_t id = 0;
    if (message.qos > 0) {
        id = TakePacketId();
        ++unacknowledged_;
    }
    if (!Send(mqtt::EncodePublish(message.topic, message.payload, message.qos, message.retain, id))) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ++status_.published;
    return true;
}

bool MqttPublisher::PublishSnapshot(const DriveSnapshot& snapshot)
{
    if (!hostAnnounced_) {
        for (const MqttMessage& message : topics_.HostConfigs()) {
            if (!PublishMessage(message)) {
                return false;
            }
        }
        hostAnnounced_ = true;
    }
    std::string ids[kMaxDrives];
    DiscoveryTopics::DriveIds(snapshot, ids);
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        const DriveSnapshotEntry& drive = snapshot.drives[i];
        const std::string& id = ids[i];
        const std::vector<MqttMessage> configs = topics_.DriveConfigs(drive, id);
        std::string all;
        for (const MqttMessage& message : configs) {
            all += message.topic + '\n' + message.payload + '\n';
        }
        const auto known = announced_.find(id);
        if (known == announced_.end() || known->second != all) {
            for (const MqttMessage& message : configs) {
                if (!PublishMessage(message)) {
                    return false;
                }
            }
        }
        announced_[id] = all;
        if (!PublishMessage(topics_.DriveStateMessage(drive, id))) {
            return false;
        }
    }
    return RemoveGone(snapshot) && PublishMessage(topics_.HostState(snapshot.count));
}

bool MqttPublisher::RemoveGone(const DriveSnapshot& snapshot)
{
    removalDue_ = false;
    std::string ids[kMaxDrives];
    DiscoveryTopics::DriveIds(snapshot, ids);
    const std::set<std::string> present(ids, ids + (snapshot.count < kMaxDrives ? snapshot.count : kMaxDrives));
    for (auto known = announced_.begin(); known != announced_.end();) {
        if (present.count(known->first) != 0) {
            ++known;
            continue;
        }
        for (const MqttMessage& message : topics_.DriveRemoval(known->first)) {
            if (!PublishMessage(message)) {
                return false;
            }
        }
        Log("MQTT: drive " + known->first + " is gone: its Home Assistant entities are removed");
        known = announced_.erase(known);
    }
    return true;
}

bool MqttPublisher::Handle(const mqtt::Packet& packet, bool& birth)
{
    switch (packet.type) {
    case mqtt::PacketType::PubAck:
        unacknowledged_ = unacknowledged_ > 0 ? unacknowledged_ - 1 : 0;
        return true;
    case mqtt::PacketType::Publish: {
        std::string driveId;
        if (packet.topic == topics_.HomeAssistantStatus() && packet.payload == kOnline) {
            birth = true;
        } else if (packet.topic == topics_.Availability() && packet.payload == kOffline) {
            // Another copy on this host stopped and spoke for the topic we share: we are
            // still here.
            reassertDue_ = true;
        } else if (!packet.payload.empty() && topics_.DriveIdOfConfig(packet.topic, driveId) &&
                   announced_.count(driveId) == 0 && announced_.size() < kMaxRemembered) {
            // Left by an earlier run: removed at once unless the drive is there.
            announced_[driveId] = std::string();
            removalDue_ = true;
        }
        return packet.Qos() == 0 || Send(mqtt::EncodePubAck(packet.packetId));
    }
    default:
        return true;
    }
}

bool MqttPublisher::Session(MqttOutcome& error)
{
    link_ = MakeMqttLink(settings_, error);
    if (!link_) {
        return false;
    }
    mqtt::ConnectOptions options;
    options.clientId = clientId_;
    options.user = settings_.user;
    options.password = settings_.password;
    options.willTopic = topics_.Availability();
    options.willPayload = kOffline;
    options.keepAliveSeconds = kKeepAliveSeconds;
    mqtt::PacketReader reader;
    if (!OpenSession(*link_, settings_, options, reader, error, &cancel_)) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++status_.connects;
        status_.connected = true;
        status_.lastError = MqttOutcome();
    }
    Log("MQTT broker " + status_.broker + (settings_.tls ? " (TLS)" : "") + ": connected as " + clientId_);
    unacknowledged_ = 0;
    hostAnnounced_ = false;
    // Configs go again on every connection: the broker may have lost its retained ones.
    for (auto& known : announced_) {
        known.second.clear();
    }
    if (!PublishMessage({topics_.Availability(), kOnline, 1, true}) ||
        !Send(mqtt::EncodeSubscribe(TakePacketId(), topics_.HomeAssistantStatus(), 1)) ||
        !Send(mqtt::EncodeSubscribe(TakePacketId(), topics_.Availability(), 1)) ||
        !Send(mqtt::EncodeSubscribe(TakePacketId(), topics_.OwnConfigFilter(), 1))) {
        error = {KelvixText::MqttConnectionLost};
        return false;
    }
    bool resend = current_ != nullptr;
    Clock::time_point lastSent = Clock::now();
    Clock::time_point pingSent;
    bool pinging = false;
    for (;;) {
        bool fresh = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                break;
            }
            if (pending_ && unacknowledged_ < kMaxUnacknowledged) {
                if (!current_) {
                    current_ = std::make_unique<DriveSnapshot>();
                }
                std::swap(current_, offered_);
                pending_ = false;
                fresh = true;
            }
        }
        if ((fresh || resend) && current_) {
            resend = false;
            if (!PublishSnapshot(*current_)) {
                error = {KelvixText::MqttLostWhilePublishing};
                return false;
            }
            lastSent = Clock::now();
        }
        char buffer[2048];
        int count = 0;
        const StreamResult result = link_->Read(buffer, sizeof buffer, count, kReadSliceMilliseconds);
        if (result == StreamResult::Closed || result == StreamResult::Failed) {
            error = {KelvixText::MqttBrokerClosed};
            return false;
        }
        if (count > 0 && !reader.Feed(buffer, static_cast<std::size_t>(count))) {
            error = {KelvixText::MqttPacketTooLarge};
            return false;
        }
        mqtt::Packet packet;
        mqtt::ReadResult read;
        while ((read = reader.Next(packet)) == mqtt::ReadResult::Packet) {
            bool birth = false;
            if (packet.type == mqtt::PacketType::PingResp) {
                pinging = false;
            }
            if (!Handle(packet, birth)) {
                error = {KelvixText::MqttConnectionLost};
                return false;
            }
            if (birth) {
                Log("MQTT: Home Assistant announced itself: discovery sent again");
                for (auto& known : announced_) {
                    known.second.clear();
                }
                hostAnnounced_ = false;
                resend = current_ != nullptr;
            }
        }
        if (read == mqtt::ReadResult::Malformed) {
            error = {KelvixText::MqttSentNotMqtt};
            return false;
        }
        if (reassertDue_) {
            reassertDue_ = false;
            Log("MQTT: " + topics_.Availability() + " was set offline by another client; online again");
            if (!PublishMessage({topics_.Availability(), kOnline, 1, true})) {
                error = {KelvixText::MqttLostWhilePublishing};
                return false;
            }
        }
        if (removalDue_ && current_ && !RemoveGone(*current_)) {
            error = {KelvixText::MqttLostWhilePublishing};
            return false;
        }
        if (pinging && MillisecondsSince(pingSent) > kPingAnswerSeconds * 1000) {
            error = {KelvixText::MqttStoppedAnswering};
            return false;
        }
        if (!pinging && MillisecondsSince(lastSent) > kKeepAliveSeconds * 1000 / 2) {
            if (!Send(mqtt::EncodePingReq())) {
                error = {KelvixText::MqttConnectionLost};
                return false;
            }
            pinging = true;
            pingSent = lastSent = Clock::now();
        }
    }
    // A clean stop: "offline" said in words, since a DISCONNECT discards the will.
    PublishMessage({topics_.Availability(), kOffline, 1, true});
    Send(mqtt::EncodeDisconnect());
    link_->Close();
    Log("MQTT broker " + status_.broker + ": disconnected");
    return true;
}

bool TestMqttConnection(const MqttSettings& settings, const std::string& clientId, MqttOutcome& result,
                        const std::atomic<bool>* cancel)
{
    if (!settings.Enabled()) {
        result = {KelvixText::MqttNoHost};
        return false;
    }
    MqttOutcome error;
    std::unique_ptr<MqttLink> link = MakeMqttLink(settings, error);
    if (!link) {
        result = error;
        return false;
    }
    mqtt::ConnectOptions options;
    options.clientId = clientId;
    options.user = settings.user;
    options.password = settings.password;
    mqtt::PacketReader reader;
    if (!OpenSession(*link, settings, options, reader, error, cancel)) {
        result = error;
        return false;
    }
    const std::string disconnect = mqtt::EncodeDisconnect();
    link->WriteAll(disconnect.data(), disconnect.size(), kWriteMilliseconds);
    link->Close();
    result = {settings.tls ? KelvixText::MqttAcceptedTls : KelvixText::MqttAccepted,
              settings.host + ":" + std::to_string(settings.port)};
    return true;
}

PublisherState MetricsState(const MqttStatus& status)
{
    PublisherState state;
    state.configured = status.enabled;
    state.connected = status.connected;
    state.connects = status.connects;
    state.failures = status.failures;
    state.published = status.published;
    return state;
}
