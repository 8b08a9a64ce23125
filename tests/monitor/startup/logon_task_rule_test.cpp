// The Start with Windows check: when it is ticked, what ticking and unticking do, and
// the text a failure is told with.
#include "logon_task_rule.h"

#include <gtest/gtest.h>

namespace {

constexpr char kThis[] = "C:\\Program Files\\KELVIX\\KELVIX.exe";

struct StateCase {
    bool registered;
    const char* taskProgram;
    LogonTaskState state;
};

const StateCase kStates[] = {
    {false, "", LogonTaskState::Absent},
    {false, kThis, LogonTaskState::Absent},
    {true, kThis, LogonTaskState::ThisProgram},
    {true, "c:\\program files\\kelvix\\KELVIX.EXE", LogonTaskState::ThisProgram},
    {true, "C:/Program Files/KELVIX/KELVIX.exe", LogonTaskState::ThisProgram},
    {true, "C:\\Old\\KELVIX\\KELVIX.exe", LogonTaskState::OtherProgram},
    {true, "C:\\Program Files\\KELVIX\\KELVIX.exe ", LogonTaskState::OtherProgram},
    {true, "", LogonTaskState::ThisProgram},  // its program unreadable: it can be unticked
};

TEST(LogonTaskRule, TheCheckShowsATaskOfThisProgramOnly)
{
    for (const StateCase& row : kStates) {
        EXPECT_EQ(row.state, LogonTaskStateOf(row.registered, row.taskProgram, kThis))
            << row.registered << " " << row.taskProgram;
    }
}

TEST(LogonTaskRule, JapaneseFoldersMatchByteForByte)
{
    const char* const path = u8"C:\\温度\\KELVIX.exe";
    EXPECT_EQ(LogonTaskState::ThisProgram, LogonTaskStateOf(true, path, path));
    EXPECT_EQ(LogonTaskState::OtherProgram, LogonTaskStateOf(true, u8"C:\\湿度\\KELVIX.exe", path));
}

struct StepCase {
    bool wanted;
    LogonTaskState state;
    LogonTaskStep step;
};

const StepCase kSteps[] = {
    {true, LogonTaskState::Absent, LogonTaskStep::Register},
    {true, LogonTaskState::ThisProgram, LogonTaskStep::None},
    {true, LogonTaskState::OtherProgram, LogonTaskStep::Register},  // the task moves to this copy
    {false, LogonTaskState::Absent, LogonTaskStep::None},
    {false, LogonTaskState::ThisProgram, LogonTaskStep::Remove},
    {false, LogonTaskState::OtherProgram, LogonTaskStep::None},  // another copy's task stays
};

TEST(LogonTaskRule, StepsMakeTheTaskWhatIsWanted)
{
    for (const StepCase& row : kSteps) {
        EXPECT_EQ(row.step, LogonTaskStepFor(row.wanted, row.state))
            << row.wanted << " " << static_cast<int>(row.state);
    }
}

struct ProblemCase {
    std::uint32_t hresult;
    KelvixText text;
};

const ProblemCase kProblems[] = {
    {0x80070005, KelvixText::LogonTaskNeedsAdmin},
    {0x80040154, KelvixText::LogonTaskNoScheduler},
    {0x80041315, KelvixText::LogonTaskNoScheduler},
    {0x80070422, KelvixText::LogonTaskNoScheduler},
    {0x80070002, KelvixText::LogonTaskFailed},
    {0x8004131F, KelvixText::LogonTaskFailed},
};

TEST(LogonTaskRule, FailuresAreToldInWords)
{
    for (const ProblemCase& row : kProblems) {
        EXPECT_EQ(row.text, LogonTaskProblem(row.hresult)) << std::hex << row.hresult;
    }
}

}  // namespace
