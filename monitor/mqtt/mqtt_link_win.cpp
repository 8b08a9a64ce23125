// Windows: plain TCP on the socket binding. TLS through Schannel is not built yet; a TLS
// setting is refused in words rather than sent in the clear.
#include "mqtt_link_common.h"

std::unique_ptr<MqttLink> MakeMqttLink(const MqttSettings& settings, std::string& error)
{
    if (settings.tls) {
        error = "TLS is not available in the Windows build yet: set Tls=0 or use a broker listener without TLS";
        return nullptr;
    }
    return std::make_unique<PlainLink>();
}
