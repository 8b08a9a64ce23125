// The native build has no message boxes: ShowMessage records each call here, so tests
// can see which entries the service raised.
#pragma once

#include "message_box.h"

#include <vector>

struct ShownMessage {
    MessageKind kind;
    unsigned index;

    bool operator==(const ShownMessage& other) const { return kind == other.kind && index == other.index; }
};

// The messages shown since the last call, oldest first; clears the record.
std::vector<ShownMessage> TakeShownMessages();

// While held, a notice stays "open" (ShowMessage returns only after the release), as a
// box does until someone clicks OK.
void HoldNotices(bool hold);
