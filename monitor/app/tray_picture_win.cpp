#include "tray_picture.h"

#include "app_state.h"
#include "drive_readings.h"
#include "tray_slot.h"
#include "warning_limit.h"

unsigned CurrentTraySlot()
{
    const AppState& app = App();
    const DriveReadings readings = CollectReadings(app.drives);
    return SelectTrayIconSlot(readings.Hottest(), AnyHot(readings, WarningLimitsOf(app.settings)), app.Measuring(),
        app.settings.NoTrayIcon);
}
