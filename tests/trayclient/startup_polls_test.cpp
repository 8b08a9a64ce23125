#include "startup_polls.h"

#include "language.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Tries until one answers, at most three; the dialog only after the last failed.
TEST(StartupPolls, AskAgainBeforeOpeningTheDialog)
{
    struct Case {
        std::vector<PollOutcome> outcomes;
        std::vector<StartupStep> steps;
    } const cases[] = {
        {{PollOutcome::Answered}, {StartupStep::Done}},
        {{PollOutcome::NoAnswer, PollOutcome::Answered}, {StartupStep::TryAgain, StartupStep::Done}},
        {{PollOutcome::Refused, PollOutcome::BadAnswer, PollOutcome::Answered},
            {StartupStep::TryAgain, StartupStep::TryAgain, StartupStep::Done}},
        {{PollOutcome::NoAnswer, PollOutcome::NoAnswer, PollOutcome::NoAnswer},
            {StartupStep::TryAgain, StartupStep::TryAgain, StartupStep::Ask}},
    };
    for (const Case& c : cases) {
        StartupPolls polls;
        std::vector<StartupStep> steps;
        for (const PollOutcome outcome : c.outcomes) {
            steps.push_back(polls.After(outcome));
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(polls.Tries(), c.outcomes.size());
    }
}

// The line names the host and what happened, in both languages.
TEST(StartupPolls, TheProblemNamesTheHostAndWhatHappened)
{
    SetProgramLanguage(Language::English);
    EXPECT_EQ(StartupProblemText("192.168.1.20", 10008, PollOutcome::NoAnswer, 4),
        "192.168.1.20:10008 did not answer (4 tries)");
    EXPECT_EQ(StartupProblemText("nas", 10010, PollOutcome::Refused, 4), "nas:10010 refused the request (4 tries)");
    EXPECT_EQ(StartupProblemText("nas", 10010, PollOutcome::BadAnswer, 4),
        "nas:10010 answered with something that is no report (4 tries)");
    SetProgramLanguage(Language::Japanese);
    EXPECT_EQ(StartupProblemText("192.168.1.20", 10008, PollOutcome::NoAnswer, 4),
        "192.168.1.20:10008 から応答がありません (4 回)");
}

}  // namespace
