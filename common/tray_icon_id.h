// The icon id a TrayIcon makes up for itself when created with id 0: the time of day
// packed into 32 bits, so that two programs started apart get different ids.
#pragma once

#include <cstdint>

std::uint32_t GeneratedTrayIconId(unsigned hour, unsigned minute, unsigned second, unsigned milliseconds);
