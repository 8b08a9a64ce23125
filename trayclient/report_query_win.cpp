#include "report_query_win.h"

#include "client_state.h"
#include "pelito_error_win.h"
#include "pelito_messages.h"
#include "timer_period.h"
#include "query_protocol.h"
#include "udpclient.h"

#include <shellapi.h>

int Query(const char* host, std::uint32_t port, std::uint8_t command, char* buffer, int length, std::uint32_t waitMs)
{
    UDPCLIENT client;
    if (client.Open(host, port) != 0) {
        ShowPelitoError(nullptr, MSG_CLIENT_OPEN);
        return 0;
    }
    const char request = static_cast<char>(command);
    if (client.Send(&request, 1) != 0) {
        ShowPelitoError(nullptr, MSG_CLIENT_SEND);
        client.Close();
        return 0;
    }
    client.SetWait(waitMs);
    if (client.Wait() != kUdpClientReadable) {
        client.Close();
        return 0;
    }
    if (client.Receive(buffer, length) == kUdpFailed) {
        ShowPelitoError(nullptr, MSG_CLIENT_RECEIVE);
        client.Close();
        return 0;
    }
    client.Close();
    return 1;
}

int Poll()
{
    ClientState& client = Client();
    ReportBuffer reply = {};
    if (!Query(client.host, client.settings.Port, kReportCommand, reinterpret_cast<char*>(reply), kReportBytes,
            TimerPeriodMs(client.settings.TimeOut))) {
        return 0;
    }
    SlotUpdate updates[kDriveSlots];
    client.reports.Apply(reply, client.host, client.settings.Port, client.settings.Temp, updates);
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
        icon.SetBalloonTitle(update.balloonTitle, NIIF_INFO);
        icon.SetBalloonText(update.details, kBalloonTimeoutMs);
    }
    return 1;
}
