// The texts KELVIX and PELITO both show: health words, the messages both programs give,
// captions, buttons and menu items they share. Text(id) gives the one in the program's
// language (language.h). To add one: a name here, its row at the same place in
// common_texts.cpp (the table is checked to have a row for every name).
#pragma once

#include "language.h"

#include <cstddef>

enum class CommonText : unsigned short {
    // Health (HealthState numbers 0 to 3)
    HealthUnknown,
    HealthGood,
    HealthCaution,
    HealthBad,
    // The counts a health reason names, by the viewer's names
    CountMediaErrors,
    CountReallocated,
    CountUncorrected,
    CountCommandTimeouts,
    CountPending,
    CountUnrecoverable,
    CountTransferErrors,
    CountOther,
    // Health reasons (HealthReasonKind 1 to 9); the count's name is the %s
    ReasonAtThreshold,
    ReasonDriveSaysFailing,
    ReasonCount,
    ReasonCountRose,
    ReasonCriticalWarning,
    ReasonLifeUsed,
    ReasonSpare,
    ReasonNotACount,
    ReasonSelfTestFailed,
    ReasonSelfTestFailedAt,
    // Message boxes
    CaptionError,
    CaptionNotice,
    Undefined,
    IconFileUnreadable,
    TrayIconFailed,
    UnknownTimerEvent,
    SocketLibraryUnreadable,
    SocketLibraryFailed,
    ClientSocketBindFailed,
    ClientSocketSendFailed,
    ProfileWriteFailed,
    // Menus, dialogs and buttons
    MenuSettings,
    MenuAbout,
    MenuExit,
    ButtonConfirm,
    ButtonApply,
    ButtonCancel,
    PickIconFile,
    IconFileFilter,
    Count
};

const char* Text(CommonText id);
// The text in the language asked for, whatever the program's.
const char* Text(CommonText id, Language language);

// The whole table, for the tests: Count rows in the order of the names.
const TextRow* CommonTextRows();
