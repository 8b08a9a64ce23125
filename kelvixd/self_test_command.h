// kelvixd --self-test DRIVE short|long: starts one drive's own self-test and says how long
// it takes. The drive runs it in off-line mode (it goes on serving, data is never
// touched) and logs the result, which kelvixd reads with the drive's self-test log.
#pragma once

#include "daemon_config.h"

// Exit status: 0 started; 1 the drive is missing, cannot test, runs a test already or
// refused; 2 the arguments are not a drive number and short or long.
int RunSelfTestCommand(const DaemonConfig& config, const char* drive, const char* kind);
