// PELITO's first polls: a host that does not answer at once (it may be starting, or
// its first datagram lost) is asked again a few times, seconds apart on a timer, before
// the settings dialog opens with a line that says which host and what happened.
#pragma once

#include <cstdint>
#include <string>

enum class PollOutcome {
    Answered,
    NoAnswer,   // nothing came back within the time-out
    Refused,    // the host refused the datagram
    BadAnswer,  // a datagram came back that is no drive report
};

enum class StartupStep {
    Done,     // answered: polls go on at their period
    TryAgain, // ask again after kStartupRetryMs
    Ask,      // open the settings dialog with StartupProblemText
};

constexpr unsigned kStartupTries = 3;
constexpr std::uint32_t kStartupRetryMs = 2000;

class StartupPolls {
public:
    // The step after a try's outcome; counts the tries.
    StartupStep After(PollOutcome outcome);
    unsigned Tries() const { return tries_; }

private:
    unsigned tries_ = 0;
};

// "127.0.0.1:10008 did not answer (3 tries)", in the program's language.
std::string StartupProblemText(const char* host, std::uint32_t port, PollOutcome outcome, unsigned tries);
