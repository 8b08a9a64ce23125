// What the publisher tells Home Assistant: one device per drive (and one for the host it
// sits in), each entity announced on its discovery topic as Home Assistant's MQTT
// discovery documents it, and the drive's state as one retained JSON message.
#pragma once

#include "drive_snapshot.h"
#include "mqtt_settings.h"

#include <cstdint>
#include <string>
#include <vector>

struct MqttMessage {
    std::string topic;
    std::string payload;
    std::uint8_t qos = 0;
    bool retain = true;
};

// Who publishes: the host's name and the program ("KELVIX" or "kelvixd") with its version,
// and how often it measures (its states expire after a few of those).
struct MqttOrigin {
    std::string hostName;
    std::string program;
    std::string version;
    unsigned intervalSeconds = 60;
};

// A state not renewed for this long reads "unavailable" in Home Assistant: three
// intervals and a minute, so one late or lost state does not.
unsigned StateExpirySeconds(unsigned intervalSeconds);

// "Western Digital" for "WDC WD40EFRX-68N32N0", and so on for the makers whose model
// strings name them; empty when the model does not.
std::string ManufacturerOf(const std::string& model);

// The topic names of one publisher, made once from its settings and origin.
class DiscoveryTopics {
public:
    DiscoveryTopics(const MqttSettings& settings, const MqttOrigin& origin);

    // "<base>/<host>/availability": "online" while connected, the will "offline".
    const std::string& Availability() const { return availability_; }
    // "<prefix>/status": where Home Assistant says "online" when it (re)starts.
    const std::string& HomeAssistantStatus() const { return homeAssistantStatus_; }
    // The id a drive's topics and unique ids are made from: its serial, or its model and
    // number when it reports none. Only [a-z0-9_].
    static std::string DriveId(const DriveSnapshotEntry& drive);
    // The ids of every drive of a snapshot, by index: DriveId, except where two drives
    // would share one (one serial, or serials that differ only in case and punctuation):
    // those get the model and the drive number after it, so each drive stays its own.
    static void DriveIds(const DriveSnapshot& snapshot, std::string (&ids)[kMaxDrives]);
    std::string DriveState(const std::string& driveId) const;
    // The discovery topics a drive may have (every entity of every kind): what a removal
    // empties.
    std::vector<std::string> DriveConfigTopics(const std::string& driveId) const;

    // The host's device and its one entity (how many drives it has); retained, QoS 1.
    std::vector<MqttMessage> HostConfigs() const;
    MqttMessage HostState(unsigned driveCount) const;
    // One drive's entities: temperature, worst temperature, health, hot and asleep, the
    // ATA counts it reports (reallocated, pending, power-on hours) and, NVMe with a health
    // log, percentage used, available spare and media errors.
    std::vector<MqttMessage> DriveConfigs(const DriveSnapshotEntry& drive, const std::string& driveId) const;
    MqttMessage DriveStateMessage(const DriveSnapshotEntry& drive, const std::string& driveId) const;
    // The filter that finds the configs this publisher left on the broker (retained, maybe
    // by an earlier run), and the drive id one of those topics belongs to; false for
    // other topics (the host's own entity).
    std::string OwnConfigFilter() const;
    bool DriveIdOfConfig(const std::string& topic, std::string& driveId) const;
    // Empty retained configs and state: Home Assistant removes the drive's entities.
    std::vector<MqttMessage> DriveRemoval(const std::string& driveId) const;

private:
    std::string DeviceBlock(const DriveSnapshotEntry& drive, const std::string& driveId) const;
    std::string EntityConfig(const char* component, const std::string& driveId, const char* entity) const;

    MqttOrigin origin_;
    std::string prefix_;
    std::string nodeId_;    // "kelvix_<host>" or "kelvixd_<host>"
    std::string hostDeviceId_;
    std::string hostStateTopic_;
    std::string availability_;
    std::string homeAssistantStatus_;
    std::string stateBase_;  // "<base>/<host>"
    unsigned expireAfter_ = 0;
};

// A string as a JSON string literal (quotes included); control and non-ASCII bytes as
// \u00XX (drive texts are ASCII; anything else is not trusted to be UTF-8).
std::string JsonString(const std::string& text);
// A name reduced to topic- and id-safe [a-z0-9_].
std::string SafeId(const std::string& text);
