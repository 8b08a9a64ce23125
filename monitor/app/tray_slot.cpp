#include "tray_slot.h"

unsigned SelectTrayIconSlot(std::uint8_t hottest, bool warning, bool measuring, int noTrayIcon)
{
    if (!measuring) {
        return kSlotStopped;
    }
    if (hottest == 0) {
        return kSlotNoTemperature;
    }
    if (noTrayIcon != 0) {
        return kSlotFixedIcon;
    }
    const unsigned shown = hottest > 99 ? 99u : hottest;
    return warning ? kWarningBankOffset + shown : shown;
}
