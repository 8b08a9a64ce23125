#include "notify_transport.h"

namespace {

std::string Verdict(bool delivered)
{
    return delivered ? "delivered" : "failed";
}

}  // namespace

std::string WebDetail(const WebOutcome& outcome)
{
    if (outcome.status != 0) {
        return "HTTP status " + std::to_string(outcome.status);
    }
    return "no answer (" + (outcome.error.empty() ? std::string("unknown error") : outcome.error) + ")";
}

std::string DescribeWeb(const WebOutcome& outcome)
{
    return Verdict(outcome.delivered) + ": " + WebDetail(outcome);
}

std::string CommandDetail(const CommandOutcome& outcome)
{
    if (!outcome.started) {
        return "did not start (" + outcome.error + ")";
    }
    std::string text;
    if (outcome.timedOut) {
        text = "ended after its time-out";
    } else if (outcome.delivered) {
        text = "exit status 0";
    } else if (outcome.exitStatus < 0) {
        text = outcome.error.empty() ? std::string("ended abnormally") : outcome.error;
    } else {
        text = "exit status " + std::to_string(outcome.exitStatus);
    }
    if (!outcome.firstLine.empty()) {
        text += ", output \"" + outcome.firstLine + "\"";
    }
    return text;
}

std::string DescribeCommand(const CommandOutcome& outcome)
{
    return Verdict(outcome.delivered) + ": " + CommandDetail(outcome);
}
