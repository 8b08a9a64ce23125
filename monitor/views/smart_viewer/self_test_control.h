// The viewer's self-test buttons: whether "Short self-test" and "Extended self-test" may
// be pressed for the drive shown, the line beside them (the progress of a test that runs,
// as the drive's status byte or self-test page says), and the confirmation that says what
// a test costs before it is started.
#pragma once

#include "drive_table.h"

#include <cstdint>
#include <string>

struct SelfTestControl {
    bool enabled = false;
    char status[96] = {};
};

// `starting`: the viewer has asked the drive and waits for its answer.
SelfTestControl DecideSelfTestControl(const DriveRecord& record, bool starting);
// The question asked before a test starts: the kind, the drive, the minutes the drive
// says the test takes, that data is never touched and the drive may be slower meanwhile.
std::string SelfTestConfirmText(const DriveRecord& record, std::uint32_t driveNumber, bool extended);
