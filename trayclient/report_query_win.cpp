#include "report_query_win.h"

#include "client_state_win.h"
#include "pelito_error_win.h"
#include "pelito_messages.h"
#include "timer_period.h"
#include "query_protocol.h"
#include "udpclient.h"
#include "verdict_report.h"

#include <shellapi.h>

int Query(const char* host, std::uint32_t port, std::uint8_t command, char* buffer, int length, std::uint32_t waitMs)
{
    const char request = static_cast<char>(command);
    return QueryBytes(host, port, &request, 1, buffer, length, waitMs);
}

int QueryBytes(const char* host, std::uint32_t port, const char* request, int requestLength, char* buffer, int length,
               std::uint32_t waitMs)
{
    UDPCLIENT client;
    if (client.Open(host, port) != 0) {
        ShowPelitoError(nullptr, MSG_CLIENT_OPEN);
        return kNoReply;
    }
    if (client.Send(request, requestLength) != 0) {
        ShowPelitoError(nullptr, MSG_CLIENT_SEND);
        client.Close();
        return kNoReply;
    }
    client.SetWait(waitMs);
    if (client.Wait() != kUdpClientReadable) {
        client.Close();
        return kNoReply;
    }
    const int received = client.Receive(buffer, length);
    client.Close();
    // A refusal (the host's "port unreachable") is an answer of its kind: the caller says it.
    return received == kUdpFailed ? kRefused : received;
}

namespace {
constexpr std::uint32_t kOldServerWaitMs = 300;
}  // namespace

PollOutcome Poll()
{
    ClientState& client = Client();
    ReportBuffer reply = {};
    const int received = Query(client.host, client.settings.Port, kReportCommand, reinterpret_cast<char*>(reply),
        kReportBytes, TimerPeriodMs(client.settings.TimeOut));
    if (received == kNoReply) {
        return PollOutcome::NoAnswer;
    }
    if (received == kRefused) {
        if (!client.startingUp) {
            ShowPelitoError(nullptr, MSG_CLIENT_RECEIVE);  // at start-up the settings dialog tells it
        }
        return PollOutcome::Refused;
    }
    if (received != static_cast<int>(kReportBytes)) {
        return PollOutcome::BadAnswer;  // every server sends the whole report
    }
    // An old server never answers the verdict request: after it stayed silent it is asked
    // with a short wait only, so a poll of an old server takes little longer than before.
    std::uint8_t request[kVerdictRequestBytes];
    WriteVerdictRequest(request);
    std::uint8_t verdictBytes[kVerdictReportBytes] = {};
    const std::uint32_t verdictWait = client.verdictsAnswered ? TimerPeriodMs(client.settings.TimeOut) : kOldServerWaitMs;
    VerdictReport verdicts;
    const bool haveVerdicts =
        QueryBytes(client.host, client.settings.Port, reinterpret_cast<const char*>(request), sizeof request,
            reinterpret_cast<char*>(verdictBytes), sizeof verdictBytes, verdictWait) > 0 &&
        ParseVerdictReport(verdictBytes, sizeof verdictBytes, verdicts);
    client.verdictsAnswered = haveVerdicts;
    SlotUpdate updates[kDriveSlots];
    client.reports.Apply(reply, client.host, client.settings.Port, client.settings.Temp, updates,
        haveVerdicts ? &verdicts : nullptr);
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
        const SlotUpdate& update = updates[slot];
        TrayIcon& icon = client.trayIcons[slot];
        if (update.change == TrayChange::None) {
            continue;
        }
        if (update.change == TrayChange::Add) {
            client.trayIconMissing |= !icon.Add(update.glyph);
        } else {
            icon.Modify(update.glyph);
        }
        // Reaches the notification area with the next add, modify or balloon.
        icon.SetTooltip(update.tooltip);
        icon.SetBalloonTitle(update.balloonTitle, update.healthWorse ? (update.healthBad ? NIIF_ERROR : NIIF_WARNING)
                                                                     : NIIF_INFO);
        icon.SetBalloonText(update.details, kBalloonTimeoutMs);
        // A drive whose health got worse tells it at once, once.
        if (update.healthWorse) {
            icon.ShowBalloon();
        }
    }
    return PollOutcome::Answered;
}
