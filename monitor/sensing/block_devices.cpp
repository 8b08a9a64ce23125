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
