// Plain TCP on the socket binding only: the statically linked kelvixd of the VM test. A
// TLS setting is refused in words rather than sent in the clear.
#include "mqtt_link_common.h"

std::unique_ptr<MqttLink> MakeMqttLink(const MqttSettings& settings, MqttOutcome& error)
{
    if (settings.tls) {
        error = {KelvixText::MqttTlsUnavailable};
        return nullptr;
    }
    return std::make_unique<PlainLink>();
}
