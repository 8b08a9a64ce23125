#include "mqtt_status_text.h"

#include "kelvix_texts.h"

#include <cstdio>

std::string DescribeMqttStatus(const MqttStatus& status)
{
    if (!status.enabled) {
        return Text(KelvixText::MqttOff);
    }
    char text[512];
    if (status.connected) {
        std::snprintf(text, sizeof text, Text(KelvixText::MqttConnected), status.broker.c_str(),
                      static_cast<unsigned long long>(status.published));
        return text;
    }
    std::snprintf(text, sizeof text, Text(KelvixText::MqttNotConnected), status.broker.c_str());
    std::string described = text;
    if (!status.lastError.Empty()) {
        described += " - " + OutcomeText(status.lastError, ProgramLanguage());
    }
    return described;
}
