// The Home Assistant (MQTT) dialog (resource 106), opened from the settings dialog: the
// [Mqtt] keys and a connection test. True when the user confirmed; `settings` then holds
// what was typed (every key checked by the key table).
#pragma once

#include "mqtt_settings.h"

#include <windows.h>

bool RunMqttDialog(HWND owner, MqttSettings& settings);

// Control ids of dialog 106.
enum MqttControl : int {
    IDC_MQTT_HOST = 1101,
    IDC_MQTT_PORT = 1102,
    IDC_MQTT_USER = 1103,
    IDC_MQTT_PASSWORD = 1104,
    IDC_MQTT_TLS = 1105,
    IDC_MQTT_CA_FILE = 1106,
    IDC_MQTT_BASE_TOPIC = 1107,
    IDC_MQTT_PREFIX = 1108,
    IDC_MQTT_TEST = 1109,
    IDC_MQTT_RESULT = 1110,
    // The labels, set from the text table when the dialog opens.
    IDC_MQTT_HOST_LABEL = 1120,
    IDC_MQTT_PORT_LABEL = 1121,
    IDC_MQTT_USER_LABEL = 1122,
    IDC_MQTT_PASSWORD_LABEL = 1123,
    IDC_MQTT_CA_FILE_LABEL = 1124,
    IDC_MQTT_TOPIC_LABEL = 1125,
    IDC_MQTT_PREFIX_LABEL = 1126,
    IDC_MQTT_SAVES_NOTE = 1127,  // Apply here saves at once, whatever the settings dialog does
};
