// Random drive-set files: the reader reports errors and never fails otherwise, and the
// drives it accepts answer SmartDevice as drives do.
#include "drive_enumeration.h"
#include "identity_text.h"
#include "drive_power.h"
#include "driveset_file.h"
#include "simulated_disk.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // No file system: a sector file given in the input reads as a short dump.
    const SectorReader noFiles = [](const std::string& path, std::uint8_t (&)[kSmartSectorSize], std::string& error) {
        error = path + " is not 512 bytes long";
        return false;
    };
    auto set = std::make_unique<DriveSet>();
    std::string error;
    const bool ok = ParseDriveSet(text, "", noFiles, *set, error);
    if (!ok && error.rfind("line ", 0) != 0) {
        __builtin_trap();  // every error names its line
    }
    if (!ok) {
        return 0;
    }

    set->countsFile.clear();  // random input names no file to write
    auto bus = std::make_unique<SimulatedDiskBus>(*set);
    ScopedDiskControl installed(*bus);
    const std::uint32_t probeCount = DetectProbeCount();
    for (std::uint32_t i = 0; i < probeCount; ++i) {
        SmartDevice device;
        std::uint32_t bytes = 0;
        if (!device.Open(static_cast<std::uint8_t>(i))) {
            continue;
        }
        AskDrivePower(device.Handle());
        if (device.GetVersion(bytes) == nullptr) {
            continue;
        }
        const std::uint8_t* identify = device.Identify(bytes);
        if (identify != nullptr) {
            DriveRecord record;
            record.identifyResult = identify;
            CopyIdString(record.model, identify + 54, 40);
            FormatDriveIdentity(record);
        }
        for (int read = 0; read < 3; ++read) {
            std::uint8_t raw[6] = {};
            if (device.ReadAttributes(bytes) != nullptr) {
                device.FindAttribute(194, raw);
                device.FindAttribute(0, raw);
            }
        }
        device.ReadThresholds(bytes);
    }
    return 0;
}
