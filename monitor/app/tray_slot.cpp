#include "tray_slot.h"

unsigned SelectTrayIconSlot(std::uint8_t hottest, bool measuring, int noTrayIcon, unsigned thresholdCurrent)
{
    return SelectTrayIconSlot(hottest, hottest, measuring, noTrayIcon, thresholdCurrent);
}

unsigned SelectTrayIconSlot(std::uint8_t hottest, std::uint8_t hottestAwake, bool measuring, int noTrayIcon,
                            unsigned thresholdCurrent)
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
    return hottestAwake <= thresholdCurrent ? shown : kWarningBankOffset + shown;
}
