// Simulated drives as the Linux kernel's pass-through interfaces reach them: a DrivePort
// that answers ATA and NVMe commands from a drive set's sectors and pages, strictly by
// the command tables (ATA IDENTIFY DEVICE ECh; SMART B0h with LBA mid/high 4Fh/C2h: READ
// DATA D0h, READ THRESHOLDS D1h, READ LOG D5h of log 06h, ENABLE OPERATIONS D8h; READ LOG
// EXT 2Fh, 48-bit, of one page of logs 00h and 07h; NVMe Identify 06h with CNS 1, Get Log
// Page 02h for all namespaces, log 02h or 06h, NUMDL = dwords - 1; Device Self-test 14h,
// short or extended, for all namespaces). Anything else is
// refused. An NVMe drive behind a USB bridge (`via jmicron|asmedia|realtek`) is a SCSI
// disk here, as /dev/sdX is: it answers only its bridge's vendor commands, as the
// simulated bus's bridge does. kelvixd_sim, the tests and the benchmark read drives
// through it.
#pragma once

#include "drive_port.h"
#include "simulated_disk.h"
#include "usb_nvme_bridge.h"

#include <memory>
#include <string>
#include <vector>

class SimulatedDrivePort final : public DrivePort {
public:
    explicit SimulatedDrivePort(const DriveSet& set);
    ~SimulatedDrivePort() override;

    // One command as a drive received it.
    struct Sent {
        unsigned drive;
        bool nvme;
        AtaTaskfile ata;
        NvmeAdminCommand admin;
        std::uint32_t dataSize;
    };
    const std::vector<Sent>& SentCommands() const { return sent_; }
    // The bridge steps sent, in order.
    const std::vector<BridgeStep>& SentSteps() const { return steps_; }
    void ClearSent()
    {
        sent_.clear();
        steps_.clear();
    }
    void RecordCommands(bool on) { recording_ = on; }
    // Drive n cannot be opened (as open() failing with EACCES).
    void RefuseOpen(unsigned number) { refuseOpen_[number % kSimulatedDriveSlots] = true; }
    // The length BLKGETSIZE64 answers; 0: not answered.
    void SetLength(std::uint64_t bytes) { length_ = bytes; }
    unsigned Closes() const { return closes_; }

    int Open(unsigned number, DriveProtocol& protocol) override;
    void Close(int) override { ++closes_; }
    std::string Location(unsigned number) const override { return "simulated drive " + std::to_string(number); }
    // CHECK POWER MODE (E5h) answers `mode` in the count register (FFh active, 00h
    // standby); a drive the set puts to sleep answers 00h while it sleeps.
    void SetPowerMode(unsigned number, std::uint8_t mode) { powerMode_[number % kSimulatedDriveSlots] = mode; }
    bool Ata(int descriptor, const AtaTaskfile& registers, std::uint8_t* data, std::uint32_t dataSize,
             AtaRegisters* returned) override;
    bool NvmeAdmin(int descriptor, const NvmeAdminCommand& command, std::uint8_t* data,
                   std::uint32_t dataSize) override;
    bool Length(int, std::uint64_t& bytes) override;
    bool Bridge(int descriptor, const BridgeStep& step, std::uint8_t* data) override;
    // The SCSI translation's identity (vendor "ATA", the model cut to 16 characters), as
    // sysfs gives it where libata's cached IDENTIFY is not found; a USB-NVMe bridge's
    // inquiry names its maker and chip. Drives behind a bridge are on USB.
    bool Describe(unsigned number, DriveDescription& description) const override;

    // Per drive, as the bus counts them: ATA commands other than CHECK POWER MODE, those
    // of them that came while the drive was in standby, and power checks (the drive's
    // sleep clock, `sleep` in the drive set). With `counts` in the drive set the counts
    // file is rewritten after every command.
    std::uint64_t Commands(unsigned number) const { return commands_[number % kSimulatedDriveSlots]; }
    std::uint64_t CommandsAsleep(unsigned number) const { return commandsAsleep_[number % kSimulatedDriveSlots]; }
    std::uint32_t PowerChecks(unsigned number) const { return powerChecks_[number % kSimulatedDriveSlots]; }

private:
    static constexpr int kFirstDescriptor = 100;
    SimulatedDrive* DriveOf(int descriptor);
    void Record(const Sent& sent);
    bool Asleep(unsigned number) const;
    void WriteCounts() const;

    DriveSet set_;
    // The bridges answer as the simulated bus's do, from a copy of the set of their own.
    std::unique_ptr<SimulatedDiskBus> bridges_;
    HANDLE bridgeHandles_[kSimulatedDriveSlots] = {};
    std::vector<Sent> sent_;
    std::vector<BridgeStep> steps_;
    bool recording_ = true;
    bool refuseOpen_[kSimulatedDriveSlots] = {};
    std::uint8_t powerMode_[kSimulatedDriveSlots] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    // Attribute and health reads per drive, numbered as the Windows bus numbers them, so
    // the drive set's lists change the values over reads here too.
    std::uint32_t attributeReads_[kSimulatedDriveSlots] = {};
    std::uint32_t statusAsks_[kSimulatedDriveSlots] = {};
    std::uint32_t healthReads_[kSimulatedDriveSlots] = {};
    std::uint64_t commands_[kSimulatedDriveSlots] = {};
    std::uint64_t commandsAsleep_[kSimulatedDriveSlots] = {};
    std::uint32_t powerChecks_[kSimulatedDriveSlots] = {};
    std::uint32_t selfTestsStarted_[kSimulatedDriveSlots] = {};
    unsigned closes_ = 0;
    std::uint64_t length_ = 0;
};
