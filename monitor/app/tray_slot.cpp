#include "tray_slot.h"

unsigned SelectTrayIconSlot(std::uint8_t hottest, bool measuring, int noTrayIcon, unsigned thresholdCurrent)
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
    return hottest <= thresholdCurrent ? shown : kWarningBankOffset + shown;
}
