// Every text PELITO shows that is its own (the shared ones are in common_texts.h): the
// drive icons' details, the error boxes, the settings and about dialogs, in Japanese and
// English. To add one: a name here, its row at the same place in pelito_texts.cpp.
#pragma once

#include "common_texts.h"

enum class PelitoText : unsigned short {
    Details,
    HealthLine,
    NotAnsweringSince,
    ClientSocketReceiveFailed,
    AboutDescription,
    LabelHost,
    LabelPort,
    LabelTimeout,
    UnitTimeout,
    LabelTimer,
    UnitTimer,
    LabelTemperature,
    UnitTemperature,
    LabelIconFile,
    StartupNoAnswer,
    StartupRefused,
    StartupBadAnswer,
    RangeNote,
    Count
};

const char* Text(PelitoText id);

// The whole table, for the tests: Count rows in the order of the names.
const TextRow* PelitoTextRows();
