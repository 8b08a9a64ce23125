#include "notify_transport.h"

std::string DescribeWeb(const WebOutcome& outcome)
{
    if (outcome.status != 0) {
        return std::string(outcome.delivered ? "delivered" : "failed") + ": HTTP status " +
               std::to_string(outcome.status);
    }
    return "failed: no answer (" + (outcome.error.empty() ? std::string("unknown error") : outcome.error) + ")";
}

std::string DescribeCommand(const CommandOutcome& outcome)
{
    if (!outcome.started) {
        return "failed: did not start (" + outcome.error + ")";
    }
    std::string text;
    if (outcome.timedOut) {
        text = "failed: ended after its time-out";
    } else if (outcome.delivered) {
        text = "delivered: exit status 0";
    } else if (outcome.exitStatus < 0) {
        text = "failed: " + (outcome.error.empty() ? std::string("ended abnormally") : outcome.error);
    } else {
        text = "failed: exit status " + std::to_string(outcome.exitStatus);
    }
    if (!outcome.firstLine.empty()) {
        text += ", output \"" + outcome.firstLine + "\"";
    }
    return text;
}
