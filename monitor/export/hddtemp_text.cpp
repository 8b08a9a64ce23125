#include "hddtemp_text.h"

#include <cstdio>

namespace {

// Clients split on '|' and most stop at a control character: both become spaces. An
// empty model would make the record unreadable to clients that want a name.
void AppendModel(std::string& out, const char* model)
{
    const std::size_t start = out.size();
    for (const char* c = model; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        out += byte == '|' || byte < 0x20 || byte == 0x7F ? ' ' : *c;
    }
    if (out.size() == start) {
        out += "Unknown";
    }
}

void AppendReading(std::string& out, const DriveSnapshotEntry& drive)
{
    switch (drive.condition) {
    case DriveCondition::Temperature: {
        char degrees[8];
        std::snprintf(degrees, sizeof degrees, "%u", static_cast<unsigned>(drive.temperature));
        out += degrees;
        out += "|C|";
        return;
    }
    case DriveCondition::NoTemperature:
        out += "NA|*|";
        return;
    case DriveCondition::ReadFailed:
        out += "ERR|*|";
        return;
    case DriveCondition::Sleeping:
        out += "SLP|*|";
        return;
    }
}

}  // namespace

std::string BuildHddtempAnswer(const DriveSnapshot& snapshot)
{
    std::string out;
    out.reserve(snapshot.count * 96);
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        const DriveSnapshotEntry& drive = snapshot.drives[i];
        char device[40];
        if (drive.device[0] != '\0') {
            std::snprintf(device, sizeof device, "|%.*s|", static_cast<int>(sizeof drive.device), drive.device);
        } else {
            std::snprintf(device, sizeof device, "|/dev/PhysicalDrive%u|", drive.driveNumber);
        }
        out += device;
        AppendModel(out, drive.model);
        out += '|';
        AppendReading(out, drive);
    }
    return out;
}
