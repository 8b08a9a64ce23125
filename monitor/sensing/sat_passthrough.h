// SCSI/ATA translation: the ATA PASS-THROUGH command blocks a USB or SAS bridge turns into
// ATA commands, and the sense data in which the bridge hands back the ATA registers.
// Plain bytes only, no operating-system records: the Windows and Linux pass-through
// calls both carry these blocks.
#pragma once

#include <cstddef>
#include <cstdint>

// An ATA command as the 28-bit task file holds it (what IDEREGS carries); a 48-bit
// command (`extend`) also fills the high bytes. Only the 16-byte block carries those.
struct AtaTaskfile {
    std::uint8_t features = 0;
    std::uint8_t sectorCount = 0;
    std::uint8_t lbaLow = 0;
    std::uint8_t lbaMid = 0;
    std::uint8_t lbaHigh = 0;
    std::uint8_t device = 0;
    std::uint8_t command = 0;
    bool extend = false;
    std::uint8_t sectorCountHigh = 0;
    std::uint8_t lbaLowHigh = 0;
    std::uint8_t lbaMidHigh = 0;
    std::uint8_t lbaHighHigh = 0;
};

// The registers a finished ATA command leaves. The high bytes are the 48-bit halves;
// a 28-bit command leaves them 0.
struct AtaRegisters {
    std::uint8_t error = 0;
    std::uint8_t status = 0;
    std::uint8_t device = 0;
    std::uint8_t sectorCount = 0;
    std::uint8_t lbaLow = 0;
    std::uint8_t lbaMid = 0;
    std::uint8_t lbaHigh = 0;
    std::uint8_t sectorCountHigh = 0;
    std::uint8_t lbaLowHigh = 0;
    std::uint8_t lbaMidHigh = 0;
    std::uint8_t lbaHighHigh = 0;
    bool extend = false;
};

constexpr std::uint8_t kAtaStatusError = 0x01;        // ERR
constexpr std::uint8_t kAtaStatusDeviceFault = 0x20;  // DF
constexpr std::uint8_t kAtaStatusBusy = 0x80;         // BSY

// The two command blocks, named by their length.
enum class SatForm : std::uint8_t { Sixteen = 16, Twelve = 12 };
constexpr std::uint8_t kSatOpcode16 = 0x85;
constexpr std::uint8_t kSatOpcode12 = 0xA1;
constexpr std::size_t kSatCdbMax = 16;

// The transfer of the ATA command: none, or whole 512-byte sectors from the drive (the
// count in the sector-count register).
enum class SatTransfer : std::uint8_t { None, SectorsIn };

struct SatRequest {
    AtaTaskfile task;
    SatTransfer transfer = SatTransfer::None;
    // Ask for the ATA registers even when the command succeeds (CK_COND). Bridges then
    // answer CHECK CONDITION with the registers in the sense data.
    bool returnRegisters = false;
};

// Writes the command block of `form` into `cdb` (zeroing the rest of it) and returns its
// length: 16 or 12.
std::size_t BuildSatCdb(SatForm form, const SatRequest& request, std::uint8_t (&cdb)[kSatCdbMax]);

// What a bridge's sense data say.
enum class SatSenseKind : std::uint8_t {
    AtaStatus,    // the ATA registers are in `registers`
    NoAtaStatus,  // valid sense data without ATA registers (key, asc and ascq are set)
    Unusable,     // too short, or not a sense-data format
};

struct SatSense {
    SatSenseKind kind = SatSenseKind::Unusable;
    bool descriptorFormat = false;
    std::uint8_t senseKey = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
    AtaRegisters registers;
};

constexpr std::uint8_t kSenseKeyNoSense = 0x0;
constexpr std::uint8_t kSenseKeyRecoveredError = 0x1;
constexpr std::uint8_t kSenseKeyIllegalRequest = 0x5;
constexpr std::uint8_t kSenseKeyAbortedCommand = 0xB;
// "ATA PASS-THROUGH INFORMATION AVAILABLE": the answer to CK_COND.
constexpr std::uint8_t kAscqAtaInformationAvailable = 0x1D;

// Reads `length` bytes of sense data (any bytes are accepted; nothing past `length` is read).
// Descriptor format (72h/73h) gives the registers in its ATA Status Return descriptor
// (code 09h); fixed format (70h/71h) in its information and command-specific fields,
// which a bridge fills only when it says the registers are there (00h/1Dh); an abort
// with a zero status there filled none.
SatSense DecodeSatSense(const std::uint8_t* sense, std::size_t length);

// The bridge does not know the command block (ILLEGAL REQUEST, invalid operation code or
// invalid field in it): the other form may still work.
bool SatCommandRejected(const SatSense& sense);

// The drive finished the command without error or device fault.
bool AtaCommandSucceeded(const AtaRegisters& registers);
