#include "start_with_windows_win.h"

#include "error_box_win.h"
#include "kelvix_texts.h"
#include "logon_task_win.h"

#include <cstdio>

bool StartsWithWindows()
{
    return CurrentLogonTaskState() == LogonTaskState::ThisProgram;
}

void ChangeStartWithWindows(HWND owner, bool wanted)
{
    const std::uint32_t failure = ApplyLogonTaskStep(LogonTaskStepFor(wanted, CurrentLogonTaskState()));
    if (failure == 0) {
        return;
    }
    char text[512];
    std::snprintf(text, sizeof text, Text(LogonTaskProblem(failure)), static_cast<unsigned>(failure));
    ShowErrorText(owner, text);
}
