// Who the network services answer and how often, by default: shared by the settings that
// hold the choice and the services that apply it.
#pragma once

#include <cstdint>

// The local machine, the private ranges and link-local: every home network keeps
// working, and nobody beyond it is answered until the user names them.
#define KV_DEFAULT_ALLOWED_HOSTS "127.0.0.0/8, 10.0.0.0/8, 172.16.0.0/12, 192.168.0.0/16, 169.254.0.0/16"
constexpr char kDefaultAllowedHosts[] = KV_DEFAULT_ALLOWED_HOSTS;
// Room for the text of the list (with its terminator).
constexpr unsigned kAllowedHostsSize = 512;

// The answers one source gets per second; 0 = no limit at all. The default covers a
// tray client's poll and a few console queries a second with room to spare.
constexpr std::uint32_t kDefaultReportsPerSecond = 5;
constexpr std::uint32_t kMaxReportsPerSecond = 1000;
