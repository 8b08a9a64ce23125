#include "publication_win.h"

#include "app_state_win.h"
#include "drive_snapshot.h"
#include "kv_version.h"
#include "mqtt_publisher.h"
#include "verdict_records.h"
#include "warning_limit.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

namespace {

std::uint64_t MonotonicMs()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count());
}

}  // namespace

// The verdicts of what the drive table holds, handed to the export services, the report
// server and Home Assistant; the health changes wait for their balloon, and what changed since the
// last snapshot goes to the notification sender (which only queues: sending is its own
// thread's).
void JudgeAndPublish(bool measured)
{
    AppState& app = App();
    const VerdictChanges changes = app.judge.Judge(app.drives, WarningLimitsOf(app.settings), std::time(nullptr));
    for (unsigned i = 0; i < changes.count && app.healthChanges.count < kMaxDrives; ++i) {
        app.healthChanges.items[app.healthChanges.count++] = changes.items[i];
    }
    DriveSnapshot snapshot = TakeSnapshot(app.drives, app.settings, app.judge);
    if (!app.notify.On()) {
        app.notifyWatch.Forget();  // switched on later, the first measurement tells a drive already hot
    } else {
        for (const NotifyEvent& event :
             app.notifyWatch.Update(snapshot, MonotonicMs(), app.settings.Reminder, std::time(nullptr))) {
            app.notifier.Post(event);
        }
    }
    const NotifyCounts counts = app.notifier.Counts();
    snapshot.notifications.on = app.notify.On();
    snapshot.notifications.delivered = counts.delivered;
    snapshot.notifications.failed = counts.failed;
    if (app.mqtt) {
        snapshot.mqtt = MetricsState(app.mqtt->Status());
        app.mqtt->Offer(snapshot);
    }
    if (measured && app.historyStore) {
        app.historyStore->Record(snapshot, static_cast<std::int64_t>(std::time(nullptr)));
    }
    app.driveBoard.Publish(snapshot);
    app.verdictBoard.Publish(MakeVerdictReport(app.drives, app.judge));
}

void RestartMqtt()
{
    AppState& app = App();
    app.mqttPublisher = nullptr;
    app.mqtt.reset();
    if (!app.mqttSettings.Enabled()) {
        return;
    }
    char host[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof host;
    if (!GetComputerNameA(host, &size)) {
        std::strcpy(host, "windows");
    }
    const MqttOrigin origin{host, "KELVIX", KV_VERSION_TEXT, app.settings.TimerCurrent};
    app.mqtt = std::make_unique<MqttPublisher>(app.mqttSettings, origin,
        MakeMqttClientId("kelvix", host, GetCurrentProcessId()),
        [](const std::string& line) { OutputDebugStringA(("KELVIX: " + line + "\n").c_str()); });
    app.mqttPublisher = app.mqtt.get();
    app.mqtt->Start();
    JudgeAndPublish();
}
