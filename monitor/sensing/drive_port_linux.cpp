#include "drive_port_linux.h"

#include "drive_enumeration.h"
#include "drive_table.h"
#include "identity_text.h"
#include "sg_io_outcome.h"
#include "usb_nvme_bridge.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned kCommandTimeoutMs = 10000;

std::vector<std::string> ListDirectory(const char* path, std::string& problem)
{
    std::vector<std::string> names;
    DIR* directory = opendir(path);
    if (directory == nullptr) {
        problem = std::string(path) + ": " + std::strerror(errno);
        return names;
    }
    while (const dirent* entry = readdir(directory)) {
        names.emplace_back(entry->d_name);
    }
    closedir(directory);
    return names;
}

// A sysfs attribute's text without the blanks and line feed around it; empty when absent.
std::string ReadAttribute(const std::string& path)
{
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return text;
    }
    char buffer[4096];
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    std::fclose(file);
    text.assign(buffer, got);
    const std::size_t first = text.find_first_not_of(" \t\n");
    const std::size_t last = text.find_last_not_of(" \t\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string IdentifyText(const std::uint8_t* sector, unsigned offset, unsigned length)
{
    char text[48] = {};
    CopyIdString(text, sector + offset, static_cast<std::uint16_t>(length));
    return text;
}

std::string CommandRefusal(const char* what, const char* capability, int error)
{
    std::string text = std::string(what) + " refused: " + std::strerror(error);
    if (error == EPERM || error == EACCES) {
        text += std::string(" (needs ") + capability + ")";
    }
    return text;
}

// Sends one command block by SG_IO. False when the kernel refused the request (errno says
// why); otherwise `outcome` says what the device made of it, its sense data in `sense`.
bool SendSgIo(int descriptor, std::uint8_t* cdb, unsigned char cdbLength, int direction, std::uint8_t* data,
              std::uint32_t length, std::uint8_t (&sense)[64], PassThroughOutcome& outcome)
{
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.cmd_len = cdbLength;
    io.cmdp = cdb;
    io.dxfer_direction = direction;
    io.dxferp = data;
    io.dxfer_len = length;
    io.mx_sb_len = sizeof sense;
    io.sbp = sense;
    io.timeout = kCommandTimeoutMs;
    if (ioctl(descriptor, SG_IO, &io) != 0) {
        return false;
    }
    outcome.scsiStatus = io.status;
    outcome.hostStatus = io.host_status;
    outcome.driverStatus = io.driver_status;
    outcome.sense = sense;
    outcome.senseLength = io.sb_len_wr;
    outcome.residual = direction == SG_DXFER_FROM_DEV ? io.resid : 0;
    return true;
}

}  // namespace

std::vector<BlockDevice> LinuxDrivePort::Find(const char* sysBlock, std::string& problem)
{
    problem.clear();
    return OrderDrives(ListDirectory(sysBlock, problem), static_cast<std::size_t>(-1));
}

bool LinuxDrivePort::Describe(unsigned number, DriveDescription& description) const
{
    if (number >= drives_.size() || drives_[number].protocol != DriveProtocol::Ata) {
        return false;
    }
    const std::string device = sysBlock_ + "/" + drives_[number].name + "/device";
    char* resolved = realpath(device.c_str(), nullptr);
    const std::string ata = resolved != nullptr ? AtaDeviceName(resolved) : std::string();
    description.usb = resolved != nullptr && std::strstr(resolved, "/usb") != nullptr;
    std::free(resolved);
    std::uint8_t identify[512] = {};
    if (!ata.empty() &&
        ParseCachedIdentify(ReadAttribute(sysBlock_ + "/../class/ata_device/" + ata + "/id"), identify)) {
        description.model = IdentifyText(identify, 54, 40);
        description.revision = IdentifyText(identify, 46, 8);
        description.serial = IdentifyText(identify, 20, 20);
        return !description.model.empty();
    }
    description.vendor = ReadAttribute(device + "/vendor");
    description.model = ReadAttribute(device + "/model");
    description.revision = ReadAttribute(device + "/rev");
    return !description.model.empty();
}

LinuxDrivePort::LinuxDrivePort(const char* sysBlock, const char* devices)
    : sysBlock_(sysBlock), devices_(devices), found_(Find(sysBlock, listProblem_)), drives_(found_)
{
}

int LinuxDrivePort::Open(unsigned number, DriveProtocol& protocol)
{
    if (number >= drives_.size()) {
        return -1;
    }
    const BlockDevice& drive = drives_[number];
    const std::string path = Location(number);
    // Read-only is enough for both pass-through ioctls; the kernel checks capabilities.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        NoteProblem(std::string("cannot be opened: ") + std::strerror(errno));
        return -1;
    }
    protocol = drive.protocol;
    open_.push_back(descriptor);
    return descriptor;
}

std::string LinuxDrivePort::Location(unsigned number) const
{
    return number < drives_.size() ? devices_ + "/" + drives_[number].name : std::string();
}

void LinuxDrivePort::Close(int descriptor)
{
    for (auto it = open_.begin(); it != open_.end(); ++it) {
        if (*it == descriptor) {
            open_.erase(it);
            close(descriptor);
            return;
        }
    }
}

void LinuxDrivePort::NoteProblem(const std::string& problem)
{
    if (problem_.empty()) {
        problem_ = problem;
    }
}

void LinuxDrivePort::AddProblem(const std::string& problem)
{
    // Nobody takes the problems of a drive being served: they must not pile up.
    constexpr std::size_t kKept = 1024;
    if (problem_.size() < kKept && problem_.find(problem) == std::string::npos) {
        problem_ += (problem_.empty() ? "" : "; ") + problem;
    }
}

std::string LinuxDrivePort::TakeProblem()
{
    std::string problem;
    problem.swap(problem_);
    return problem;
}

bool LinuxDrivePort::Ata(int descriptor, const AtaTaskfile& registers, std::uint8_t* data, std::uint32_t dataSize,
                         AtaRegisters* returned)
{
    SatRequest request;
    request.task = registers;
    // Without data the registers come back, as CHECK POWER MODE needs its count register.
    request.transfer = dataSize != 0 ? SatTransfer::SectorsIn : SatTransfer::None;
    request.returnRegisters = dataSize == 0;
    std::uint8_t cdb[kSatCdbMax];
    const std::size_t cdbLength = BuildSatCdb(SatForm::Sixteen, request, cdb);
    std::uint8_t sense[64] = {};
    PassThroughOutcome outcome;
    const int direction = dataSize != 0 ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
    if (!SendSgIo(descriptor, cdb, static_cast<unsigned char>(cdbLength), direction, data, dataSize, sense, outcome)) {
        NoteProblem(CommandRefusal("ATA pass-through (SG_IO)", "CAP_SYS_RAWIO", errno));
        return false;
    }
    const bool succeeded = PassThroughSucceeded(outcome, dataSize == 0 ? returned : nullptr);
    if (!succeeded) {
        char command[32];
        std::snprintf(command, sizeof command, "ATA command %02Xh: ", registers.command);
        NoteProblem(command + DescribePassThroughFailure(outcome));
    }
    return succeeded;
}

bool LinuxDrivePort::NvmeAdmin(int descriptor, const NvmeAdminCommand& command, std::uint8_t* data,
                               std::uint32_t dataSize)
{
    nvme_admin_cmd request{};
    request.opcode = command.opcode;
    request.nsid = command.namespaceId;
    request.addr = reinterpret_cast<std::uintptr_t>(data);
    request.data_len = dataSize;
    request.cdw10 = command.cdw10;
    request.cdw11 = command.cdw11;
    request.timeout_ms = kCommandTimeoutMs;
    // A positive result is the drive's NVMe status: the command failed there.
    const int result = ioctl(descriptor, NVME_IOCTL_ADMIN_CMD, &request);
    if (result < 0) {
        NoteProblem(CommandRefusal("NVMe admin command", "CAP_SYS_ADMIN", errno));
    } else if (result > 0) {
        char text[64];
        std::snprintf(text, sizeof text, "NVMe admin command %02Xh: the drive answered status %03Xh", command.opcode,
                      static_cast<unsigned>(result));
        NoteProblem(text);
    }
    return result == 0;
}

bool LinuxDrivePort::Length(int descriptor, std::uint64_t& bytes)
{
    std::uint64_t length = 0;
    if (ioctl(descriptor, BLKGETSIZE64, &length) != 0) {
        return false;
    }
    bytes = length;
    return true;
}

bool LinuxDrivePort::Bridge(int descriptor, const BridgeStep& step, std::uint8_t* data)
{
    NvmeRoute family = NvmeRoute::StorageQuery;
    if (data == nullptr || !IsBuiltBridgeStep(step, step.direction == BridgeDirection::Out ? data : nullptr, family)) {
        return false;
    }
    std::uint8_t cdb[sizeof step.cdb];
    std::memcpy(cdb, step.cdb, sizeof cdb);
    std::uint8_t sense[64] = {};
    const int direction = step.direction == BridgeDirection::In    ? SG_DXFER_FROM_DEV
                          : step.direction == BridgeDirection::Out ? SG_DXFER_TO_DEV
                                                                   : SG_DXFER_NONE;
    const char* route = NvmeRouteMode(family);
    PassThroughOutcome outcome;
    if (!SendSgIo(descriptor, cdb, step.cdbLength, direction, data, step.length, sense, outcome)) {
        AddProblem(CommandRefusal(route, "CAP_SYS_RAWIO", errno));
        return false;
    }
    if (!BridgeStepSucceeded(outcome)) {
        char command[48];
        std::snprintf(command, sizeof command, "%s command %02Xh: ", route, step.cdb[0]);
        AddProblem(command + DescribeBridgeFailure(outcome));
        return false;
    }
    // The step went through; whether the command did is the completion's to say.
    if (IsJmicronCompletionStep(step) && !JmicronCompletionOk(data, step.length)) {
        AddProblem(std::string(route) + ": the completion lacks the bridge's signature or reports an error");
    }
    return true;
}
