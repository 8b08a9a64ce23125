#include "block_devices.h"

#include <algorithm>
#include <tuple>

namespace {

bool AllLetters(const std::string& text, std::size_t from)
{
    return from < text.size() && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                             [](char c) { return c >= 'a' && c <= 'z'; });
}

// Reads a decimal number at `at`; false without digits or past 9 digits.
bool ReadNumber(const std::string& text, std::size_t& at, unsigned long& value)
{
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 9) {
        value = value * 10 + static_cast<unsigned long>(text[at] - '0');
        ++at;
    }
    return at > start && (at == text.size() || text[at] < '0' || text[at] > '9');
}

// nvme<controller>n<namespace>; hidden multipath paths (nvme0c1n1) do not match.
bool NvmeNumbers(const std::string& name, unsigned long& controller, unsigned long& ns)
{
    std::size_t at = 4;
    if (name.compare(0, 4, "nvme") != 0 || !ReadNumber(name, at, controller) || at >= name.size() ||
        name[at] != 'n') {
        return false;
    }
    ++at;
    return ReadNumber(name, at, ns) && at == name.size();
}

// The order key: disks first, shorter sd names before longer (sdz before sdaa).
std::tuple<int, unsigned long, unsigned long, std::string> OrderKey(const BlockDevice& device)
{
    unsigned long controller = 0;
    unsigned long ns = 0;
    if (device.protocol == DriveProtocol::Nvme) {
        NvmeNumbers(device.name, controller, ns);
        return {1, controller, ns, std::string()};
    }
    return {0, device.name.size(), 0, device.name};
}

}  // namespace

bool IsDriveName(const std::string& name, DriveProtocol& protocol)
{
    unsigned long controller = 0;
    unsigned long ns = 0;
    if (name.size() >= 3 && name.compare(0, 2, "sd") == 0 && AllLetters(name, 2)) {
        protocol = DriveProtocol::Ata;
        return true;
    }
    if (NvmeNumbers(name, controller, ns)) {
        protocol = DriveProtocol::Nvme;
        return true;
    }
    return false;
}

std::vector<BlockDevice> OrderDrives(const std::vector<std::string>& names, std::size_t limit)
{
    std::vector<BlockDevice> drives;
    for (const std::string& name : names) {
        BlockDevice device;
        device.name = name;
        if (IsDriveName(name, device.protocol)) {
            drives.push_back(device);
        }
    }
    std::sort(drives.begin(), drives.end(),
              [](const BlockDevice& a, const BlockDevice& b) { return OrderKey(a) < OrderKey(b); });
    drives.erase(std::unique(drives.begin(), drives.end(),
                             [](const BlockDevice& a, const BlockDevice& b) { return a.name == b.name; }),
                 drives.end());
    if (drives.size() > limit) {
        drives.resize(limit);
    }
    return drives;
}

std::string AtaDeviceName(const std::string& scsiDevicePath)
{
    // The last "ataN" component names the port; the SCSI address H:C:I:L after it gives
    // the channel (port multiplier port) and the id (device number on the link).
    std::size_t at = 0;
    std::size_t port = std::string::npos;
    while ((at = scsiDevicePath.find("/ata", at)) != std::string::npos) {
        port = at + 4;
        ++at;
    }
    unsigned long portNumber = 0;
    std::size_t cursor = port;
    if (port == std::string::npos || !ReadNumber(scsiDevicePath, cursor, portNumber) ||
        cursor >= scsiDevicePath.size() || scsiDevicePath[cursor] != '/') {
        return std::string();
    }
    const std::size_t slash = scsiDevicePath.find_last_of('/');
    unsigned long address[4] = {};
    cursor = slash + 1;
    for (unsigned part = 0; part < 4; ++part) {
        if (!ReadNumber(scsiDevicePath, cursor, address[part]) ||
            (part < 3 && (cursor >= scsiDevicePath.size() || scsiDevicePath[cursor++] != ':'))) {
            return std::string();
        }
    }
    if (cursor != scsiDevicePath.size()) {
        return std::string();
    }
    const unsigned long channel = address[1];
    const unsigned long id = address[2];
    std::string name = "dev" + std::to_string(portNumber) + ".";
    return channel == 0 ? name + std::to_string(id) : name + std::to_string(channel) + ".0";
}

bool ParseCachedIdentify(const std::string& text, std::uint8_t (&sector)[512])
{
    unsigned words = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '\n') {
            ++at;
            continue;
        }
        unsigned value = 0;
        unsigned digits = 0;
        for (; at < text.size() && text[at] != ' ' && text[at] != '\n'; ++at, ++digits) {
            const char c = text[at];
            const int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                             : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (nibble < 0 || digits >= 4) {
                return false;
            }
            value = value << 4 | static_cast<unsigned>(nibble);
        }
        if (digits != 4 || words >= 256) {
            return false;
        }
        sector[2 * words] = static_cast<std::uint8_t>(value);
        sector[2 * words + 1] = static_cast<std::uint8_t>(value >> 8);
        ++words;
    }
    return words == 256;
}
