#include "tray_picture_win.h"

#include "app_state_win.h"
#include "drive_readings.h"
#include "tray_slot.h"
#include "warning_limit.h"

unsigned CurrentTraySlot()
{
    const AppState& app = App();
    const DriveReadings readings = CollectReadings(app.drives, app.judge);
    // A failing drive keeps the tray in its warning colours however cool it runs, so it
    // cannot go unseen once its balloon is gone.
    bool anyBad = false;
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        anyBad = anyBad || app.judge.Verdict(i).health == HealthState::Bad;
    }
    return SelectTrayIconSlot(readings.Hottest(), anyBad || AnyHot(readings, WarningLimitsOf(app.settings)),
        app.Measuring(), app.settings.NoTrayIcon);
}
