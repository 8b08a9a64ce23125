#include "logon_task_rule.h"

namespace {

// Windows paths: letters in either case and either slash are the same file. Bytes above
// ASCII (a Japanese folder in UTF-8) must match exactly.
char Folded(char c)
{
    if (c >= 'A' && c <= 'Z') {
        return static_cast<char>(c - 'A' + 'a');
    }
    return c == '/' ? '\\' : c;
}

bool SamePath(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr std::uint32_t kAccessDenied = 0x80070005;        // E_ACCESSDENIED
constexpr std::uint32_t kClassNotRegistered = 0x80040154;  // REGDB_E_CLASSNOTREG
constexpr std::uint32_t kServiceNotRunning = 0x80041315;   // SCHED_E_SERVICE_NOT_RUNNING
constexpr std::uint32_t kServiceDisabled = 0x80070422;     // ERROR_SERVICE_DISABLED as HRESULT

}  // namespace

LogonTaskState LogonTaskStateOf(bool registered, const std::string& taskProgram, const std::string& thisProgram)
{
    if (!registered) {
        return LogonTaskState::Absent;
    }
    // A task of our name whose program cannot be read (Wine's Task Scheduler keeps no
    // actions) is taken for ours: shown ticked, it can be unticked and so removed.
    if (taskProgram.empty()) {
        return LogonTaskState::ThisProgram;
    }
    return SamePath(taskProgram, thisProgram) ? LogonTaskState::ThisProgram : LogonTaskState::OtherProgram;
}

LogonTaskStep LogonTaskStepFor(bool wanted, LogonTaskState state)
{
    if (wanted) {
        return state == LogonTaskState::ThisProgram ? LogonTaskStep::None : LogonTaskStep::Register;
    }
    return state == LogonTaskState::ThisProgram ? LogonTaskStep::Remove : LogonTaskStep::None;
}

KelvixText LogonTaskProblem(std::uint32_t hresult)
{
    switch (hresult) {
    case kAccessDenied:
        return KelvixText::LogonTaskNeedsAdmin;
    case kClassNotRegistered:
    case kServiceNotRunning:
    case kServiceDisabled:
        return KelvixText::LogonTaskNoScheduler;
    default:
        return KelvixText::LogonTaskFailed;
    }
}
