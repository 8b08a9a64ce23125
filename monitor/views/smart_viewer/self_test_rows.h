// The S.M.A.R.T. viewer's self-test rows: the drive's logged self-tests, newest first, as
// rows of the drive-information list ("Self-test 1 | extended: read element failed (at 250
// hours, first failing LBA 123456)"), or one row saying none are logged or the log is
// damaged. No rows for a drive whose log was never read.
#pragma once

#include "self_test_log.h"

constexpr unsigned kSelfTestRowsShown = 5;
struct SelfTestRow {
    char item[32] = {};
    char value[128] = {};
};
struct SelfTestRows {
    unsigned count = 0;
    SelfTestRow rows[kSelfTestRowsShown];
};
SelfTestRows BuildSelfTestRows(const SelfTestLog& log);
