// The icon id a TrayIcon makes up for itself when created with id 0: the time of day
// packed into 32 bits, so that two programs started apart get different ids.
#pragma once

#include <cstdint>

std::uint32_t GeneratedTrayIconId(unsigned hour, unsigned minute, unsigned second, unsigned milliseconds);

constexpr std::uint32_t kMillisecondsPerDay = 24u * 60u * 60u * 1000u;

// How long to wait before the clock reading `now` (milliseconds of the day) may make an
// id: each reading lies at least `spacing` after the one the previous id was made from,
// so ids made one after another differ. The first id needs no wait; a clock set back
// does not make anyone wait.
std::uint32_t IdClockWait(bool earlierId, std::uint32_t earlierMs, std::uint32_t nowMs, std::uint32_t spacing);
