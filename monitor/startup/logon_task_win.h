// KELVIX's logon task through the Task Scheduler's COM interface (taskschd.dll).
#pragma once

#include "logon_task_rule.h"

#include <cstdint>
#include <string>

// The running program's full path, UTF-8.
std::string ThisProgramPath();

// Whether the task is there and starts this program. A Task Scheduler that cannot be
// asked reads as no task: the check then shows what is known.
LogonTaskState CurrentLogonTaskState();

// Registers or removes the task; 0 when done, else the failing call's HRESULT.
std::uint32_t ApplyLogonTaskStep(LogonTaskStep step);
