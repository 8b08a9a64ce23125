// Placeholder for the S.M.A.R.T. records until the drive-sensing code provides its own
// smart_records.h beside smart_device.h (which then takes precedence). It gives only
// what DriveRecord needs to be declared: the record types and the reply size.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <cstdint>

constexpr std::size_t kSmartReplySize = 528;

#pragma pack(push, 1)
struct GETVERSIONINPARAMS {
    std::uint8_t bytes[24];
};
struct SENDCMDINPARAMS {
    std::uint8_t bytes[33];
};
#pragma pack(pop)
