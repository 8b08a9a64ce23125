// Every text KELVIX shows that is its own (the shared ones are in common_texts.h): menus,
// balloons, message boxes, dialogs and the monitor window, in Japanese and English.
// Text(id) gives the one in the program's language. To add one: a name here, its row at
// the same place in kelvix_texts.cpp; the table's test checks both languages of every row.
#pragma once

#include "common_texts.h"

enum class KelvixText : unsigned short {
    // Message boxes (MessageTable)
    OutOfMemory,
    AlreadyRunning,
    DatabaseUnreadable,
    ThreadFailed,
    ServerSocketBindFailed,
    ServerSocketSelectFailed,
    UnknownCommand,
    ExportCannotStart,
    ExportAllAddresses,
    // The allowed-hosts setting's errors
    HostsBadAddress,
    HostsBadPrefix,
    HostsEmptyEntry,
    HostsTooMany,
    HostsTooLong,
    // Tray menu
    MenuMeasureNow,
    MenuMeasureStop,
    MenuMeasureResume,
    MenuCopyTemperatures,
    MenuAcceptCaution,
    MenuMonitorWindow,
    MenuSmartWindow,
    // Balloons
    BalloonMeasuringEvery,
    BalloonMeasuringStopped,
    BalloonAbove,
    BalloonLine,
    BalloonSleepingLine,
    HealthWorseTitle,
    HealthBetterTitle,
    HealthBackTo,
    HealthRecoveredTo,
    // The sleeping mark in balloons, the monitor window, the viewer and the about list
    Sleeping,
    // Monitor window menu
    MenuShowWorst,
    MenuFixPosition,
    MenuTopMost,
    MenuSaveSettings,
    MenuClose,
    MenuSize,
    MenuSizeFull,
    MenuSizeThreeQuarters,
    MenuSizeHalf,
    MenuSizeQuarter,
    MenuSizeEighth,
    MenuSizeSixteenth,
    MenuPlace,
    MenuPlaceCentre,
    MenuPlaceTopLeft,
    MenuPlaceBottomLeft,
    MenuPlaceTopRight,
    MenuPlaceBottomRight,
    MenuNameColour,
    MenuBackground,
    MenuTextColour,
    MenuTemperatureColour,
    MenuCurrentTemperature,
    MenuMaximumTemperature,
    MenuGraphColour,
    MenuLevel0,
    MenuLevel1,
    MenuLevel2,
    MenuLevel3,
    MenuLevel4,
    MenuTransparency,
    MenuTemperatureFont,
    // About dialog
    AboutDescription,
    AboutRefused,
    AboutNotifications,
    MqttOff,
    MqttConnected,
    MqttNotConnected,
    // Notification and Home Assistant dialogs
    NotifySending,
    NotifyDelivered,
    NotifyNotDelivered,
    MqttSettingsWrong,
    MqttConnecting,
    MqttConnectedResult,
    MqttNotConnectedResult,
    Count
};

const char* Text(KelvixText id);

// The whole table, for the tests: Count rows in the order of the names.
const TextRow* KelvixTextRows();
