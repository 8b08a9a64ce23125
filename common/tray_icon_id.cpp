#include "tray_icon_id.h"

std::uint32_t GeneratedTrayIconId(unsigned hour, unsigned minute, unsigned second, unsigned milliseconds)
{
    // Unsigned 32-bit throughout: late hours wrap, which is harmless for an id.
    std::uint32_t id = hour;
    id = id * 256u + minute;
    id = id * 256u + second;
    id = id * 4096u + milliseconds;
    return id;
}

std::uint32_t IdClockWait(bool earlierId, std::uint32_t earlierMs, std::uint32_t nowMs, std::uint32_t spacing)
{
    if (!earlierId) {
        return 0;
    }
    // Over midnight the day starts again at 0.
    const std::uint32_t since = (nowMs + kMillisecondsPerDay - earlierMs % kMillisecondsPerDay) % kMillisecondsPerDay;
    // A clock set back by more than the spacing reads as almost a day later.
    return since >= spacing ? 0 : spacing - since;
}
