// What the Start with Windows check shows and what ticking or unticking it does.
#pragma once

#include "kelvix_texts.h"

#include <cstdint>
#include <string>

enum class LogonTaskState {
    Absent,
    ThisProgram,   // the task starts this very program: the check is ticked
    OtherProgram,  // another copy's task (moved or a second install): left alone
};

// The state from whether the task is registered and the program it starts (empty: the
// definition names none that could be read).
LogonTaskState LogonTaskStateOf(bool registered, const std::string& taskProgram, const std::string& thisProgram);

enum class LogonTaskStep { None, Register, Remove };

// The step that makes the task what the user wants (ticked or not).
LogonTaskStep LogonTaskStepFor(bool wanted, LogonTaskState state);

// The text a failed Task Scheduler call is told with (LogonTaskFailed takes the code).
KelvixText LogonTaskProblem(std::uint32_t hresult);
