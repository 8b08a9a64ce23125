#include "mqtt_status_text.h"

std::string DescribeMqttStatus(const MqttStatus& status)
{
    if (!status.enabled) {
        return "Home Assistant (MQTT): 使わない";
    }
    if (status.connected) {
        return "Home Assistant (MQTT): " + status.broker + " に接続中 (送信 " + std::to_string(status.published) +
               " 件)";
    }
    std::string text = "Home Assistant (MQTT): " + status.broker + " に未接続";
    if (!status.lastError.empty()) {
        text += " - " + status.lastError;
    }
    return text;
}
