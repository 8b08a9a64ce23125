// The publisher's state in words for KELVIX's about dialog (CP932 like every KELVIX text).
#pragma once

#include "mqtt_publisher.h"

#include <string>

std::string DescribeMqttStatus(const MqttStatus& status);
