// Period of the poll timer for the "Timer" setting.
#pragma once

#include <cstdint>

// Milliseconds for a period in seconds. The INI value comes unchecked: 0 would poll
// without pause, so at least one second; a huge value stays at the longest period the
// timer accepts instead of wrapping around in the product.
std::uint32_t PollPeriodMs(std::uint32_t seconds);

// Milliseconds to wait for a reply, for the "TimeOut" setting. 0 would make the socket
// wait without limit and hang the program: at least one second; no wrap-around either.
std::uint32_t ReplyWaitMs(std::uint32_t seconds);
