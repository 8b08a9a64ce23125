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
