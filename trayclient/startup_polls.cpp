#include "startup_polls.h"

#include "pelito_texts.h"

#include <cstdio>

StartupStep StartupPolls::After(PollOutcome outcome)
{
    ++tries_;
    if (outcome == PollOutcome::Answered) {
        return StartupStep::Done;
    }
    return tries_ < kStartupTries ? StartupStep::TryAgain : StartupStep::Ask;
}

std::string StartupProblemText(const char* host, std::uint32_t port, PollOutcome outcome, unsigned tries)
{
    PelitoText what = PelitoText::StartupNoAnswer;
    if (outcome == PollOutcome::Refused) {
        what = PelitoText::StartupRefused;
    } else if (outcome == PollOutcome::BadAnswer) {
        what = PelitoText::StartupBadAnswer;
    }
    char text[384];
    std::snprintf(text, sizeof text, Text(what), host, static_cast<unsigned>(port), tries);
    return text;
}
