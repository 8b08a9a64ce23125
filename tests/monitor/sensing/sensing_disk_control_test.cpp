// Drive sensing built for Windows: the Windows disk control under Wine, and the simulated
// drives speaking the SDK's records.
#include "disk_control_win.h"
#include "drive_enumeration.h"
#include "driveset_file.h"
#include "simulated_disk.h"
#include "smart_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

class Installed {
public:
    explicit Installed(DiskControl& control) { InstallDiskControl(&control); }
    ~Installed() { InstallDiskControl(nullptr); }
};

TEST(WindowsDiskControl, NtPlatformProbesSixteenAndFindsNoSmartDrive)
{
    WindowsDiskControl windows;
    Installed installed(windows);
    EXPECT_EQ(windows.PlatformId(), kPlatformWindowsNT);
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = DetectProbeCount();
    EXPECT_EQ(drives->probeCount, 16u);
    EnumerateDrives(*drives);
    EXPECT_EQ(drives->presentCount, 0u);
    for (unsigned i = 0; i < 16; ++i) {
        EXPECT_EQ(drives->presentList[i], kNoDrive);
    }
}

TEST(WindowsDiskControl, UnknownDeviceCannotBeOpened)
{
    WindowsDiskControl windows;
    EXPECT_EQ(windows.Open("\\\\.\\KELVIX_NO_SUCH_DEVICE", kAccessReadWrite, kShareReadWrite, kOpenExisting),
              INVALID_HANDLE_VALUE);
}

TEST(SimulatedDrivesOnWindows, RequestRecordIsTheSdkLayout)
{
    DriveSet set;
    std::string error;
    ASSERT_TRUE(ParseDriveSet("drive 5\nmodel WINE SIM\ntemperature 194 41\n", "", ReadSectorFile, set, error))
        << error;
    SimulatedDiskBus bus(set);
    Installed installed(bus);
    SmartDevice device;
    std::uint32_t bytes = 0;
    ASSERT_TRUE(device.Open(5));
    ASSERT_NE(device.ReadAttributes(bytes), nullptr);
    EXPECT_EQ(bytes, 528u);
    // Drive 5 on NT: no slave bit in the device register (only the 9x driver wants it).
    const std::uint8_t expected[32] = {0x00, 0x02, 0, 0, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 5};
    ASSERT_EQ(bus.Requests().size(), 1u);
    EXPECT_EQ(std::memcmp(bus.Requests()[0].record, expected, 32), 0);
    std::uint8_t raw[6] = {};
    ASSERT_TRUE(device.FindAttribute(194, raw));
    EXPECT_EQ(raw[0], 41);
    char capacity[32];
    FormatCapacity(set.drives[5].identify, capacity);
    EXPECT_STREQ(capacity, "78.15GB");
}

}  // namespace
