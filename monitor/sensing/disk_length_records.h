// IOCTL_DISK_GET_LENGTH_INFO: the disk driver's length of a physical drive in bytes, asked
// for NVMe drives whose identify data leave the total capacity at 0 (the field is
// optional). On Windows the record comes from <winioctl.h>; elsewhere the same layout.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <winioctl.h>
#else

struct GET_LENGTH_INFORMATION {
    std::int64_t Length;  // LARGE_INTEGER
};

// CTL_CODE(IOCTL_DISK_BASE, 0x0017, METHOD_BUFFERED, FILE_READ_ACCESS)
#define IOCTL_DISK_GET_LENGTH_INFO 0x0007405C

#endif

static_assert(sizeof(GET_LENGTH_INFORMATION) == 8, "GET_LENGTH_INFORMATION is 8 bytes");
static_assert(offsetof(GET_LENGTH_INFORMATION, Length) == 0, "length at 0");

constexpr DWORD kIoctlDiskGetLengthInfo = 0x0007405C;
constexpr std::uint32_t kDiskLengthReplySize = sizeof(GET_LENGTH_INFORMATION);
static_assert(kIoctlDiskGetLengthInfo == IOCTL_DISK_GET_LENGTH_INFO, "IOCTL_DISK_GET_LENGTH_INFO");
