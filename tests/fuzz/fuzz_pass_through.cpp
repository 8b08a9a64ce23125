// The pass-through seam with any request bytes and any drive answers: a request code from
// the ones the core sends (or any other), any input record and buffer sizes, and drives
// that answer with the fuzzer's bytes. Nothing may be written past the reply buffer, and
// the byte count may never exceed it.
#include "ata_records.h"
#include "nvme_records.h"
#include "pass_through_disk_control.h"
#include "scsi_records.h"
#include "smart_records.h"
#include "usb_nvme_bridge.h"
#include "disk_length_records.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class BytesPort final : public DrivePort {
public:
    BytesPort(const std::uint8_t* data, std::size_t size, bool nvme) : data_(data), size_(size), nvme_(nvme) {}
    int Open(unsigned, DriveProtocol& protocol) override
    {
        protocol = nvme_ ? DriveProtocol::Nvme : DriveProtocol::Ata;
        return 3;
    }
    void Close(int) override {}
    std::string Location(unsigned) const override { return "fuzz"; }
    bool Ata(int, const AtaTaskfile&, std::uint8_t* data, std::uint32_t dataSize, AtaRegisters* returned) override
    {
        if (returned != nullptr && size_ != 0) {
            returned->sectorCount = data_[0];
        }
        return Fill(data, dataSize);
    }
    bool NvmeAdmin(int, const NvmeAdminCommand&, std::uint8_t* data, std::uint32_t dataSize) override
    {
        return Fill(data, dataSize);
    }
    bool Length(int, std::uint64_t& bytes) override
    {
        bytes = size_;
        return size_ % 2 == 0;
    }
    bool Bridge(int, const BridgeStep& step, std::uint8_t* data) override
    {
        return step.direction != BridgeDirection::In || Fill(data, step.length);
    }

private:
    bool Fill(std::uint8_t* data, std::uint32_t size)
    {
        for (std::uint32_t i = 0; i < size; ++i) {
            data[i] = size_ != 0 ? data_[i % size_] : 0;
        }
        return size_ % 3 != 0;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    bool nvme_;
};

constexpr DWORD kCodes[] = {kIoctlAtaPassThrough, kSmartGetVersion, kSmartSendDriveCommand, kSmartRcvDriveData, kIoctlStorageQueryProperty,
                            kIoctlDiskGetLengthInfo, kIoctlScsiPassThrough, 0x00070000, kIoctlStorageProtocolCommand};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) {
        return 0;
    }
    const bool nvme = (data[0] & 1) != 0;
    const DWORD code = kCodes[data[1] % (sizeof kCodes / sizeof kCodes[0])];
    const DWORD outSize = static_cast<DWORD>(data[2]) * 32 + data[3];  // 0 to 8,415
    data += 4;
    size -= 4;
    // A bridge or ATA pass-through request carries its data after the record: room for an
    // identify page, or a few log pages. A protocol command carries its 64-byte NVMe
    // command after the header.
    const std::size_t inLimit = code == kIoctlScsiPassThrough          ? sizeof(SCSI_PASS_THROUGH) + 32 + 4096
                                : code == kIoctlAtaPassThrough         ? sizeof(ATA_PASS_THROUGH_EX) + 4096
                                : code == kIoctlStorageProtocolCommand ? sizeof(StorageProtocolCommand) + 16
                                                                       : 64;
    const std::size_t inSize = size < inLimit ? size : inLimit;
    // Exactly sized buffers, so the sanitizer sees any byte past them.
    std::vector<std::uint8_t> in(data, data + inSize);
    std::vector<std::uint8_t> out(outSize);
    BytesPort port(data + inSize, size - inSize, nvme);
    PassThroughDiskControl control(port);
    HANDLE handle = control.Open("\\\\.\\PHYSICALDRIVE0", 0, 0, 0);
    DWORD returned = 0;
    const bool ok = control.Request(handle, code, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()),
                                    out.empty() ? nullptr : out.data(), outSize, &returned);
    if (returned > outSize || ok != (returned != 0)) {
        std::abort();
    }
    control.Close(handle);
    return 0;
}
