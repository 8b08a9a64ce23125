// Plain TCP on the socket binding only: the statically linked kelvixd of the VM test. A
// TLS setting is refused in words rather than sent in the clear.
#include "mqtt_link_common.h"

std::unique_ptr<MqttLink> MakeMqttLink(const MqttSettings& settings, std::string& error)
{
    if (settings.tls) {
        error = "TLS is not available in this build: set Tls=0 or use a broker listener without TLS";
        return nullptr;
    }
    return std::make_unique<PlainLink>();
}
