// One health change as an English line for machine-read outputs (kelvixd's journal, the
// notification bodies): "health of drive 0 \"MODEL\" is caution (was good): attribute 197
// (current pending sectors) rose from 0 to 8".
#pragma once

#include "drive_judge.h"

#include <cstddef>

// Always NUL-terminated; returns the length written (cut to fit `size`).
std::size_t FormatVerdictChange(const VerdictChange& change, const char* model, char* text, std::size_t size);
