// Random NVMe driver replies: the first four bytes are the byte count the driver claims,
// the rest is what it wrote. Through the reply checks, the pages and the viewer's rows:
// no read outside what was written, every text terminated inside its field.
#include "disk_control.h"
#include "drive_enumeration.h"
#include "nvme_device.h"
#include "nvme_pages.h"
#include "nvme_viewer_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace {

void CheckText(const char* text, std::size_t size)
{
    if (std::memchr(text, '\0', size) == nullptr) {
        __builtin_trap();
    }
}

// A driver that writes the fuzz bytes (as many as fit) and claims any count.
class FuzzedDriver final : public DiskControl {
public:
    FuzzedDriver(const std::uint8_t* reply, std::size_t size, DWORD claimed)
        : reply_(reply), size_(size), claimed_(claimed) {}
    std::uint32_t PlatformId() override { return kPlatformWindowsNT; }
    HANDLE Open(const char*, DWORD, DWORD, DWORD) override { return reinterpret_cast<HANDLE>(0x10); }
    bool Request(HANDLE, DWORD, const void*, DWORD, void* out, DWORD outSize, DWORD* returned) override
    {
        std::memcpy(out, reply_, size_ < outSize ? size_ : outSize);
        *returned = claimed_;
        return true;
    }
    void Close(HANDLE) override {}

private:
    const std::uint8_t* reply_;
    std::size_t size_;
    DWORD claimed_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) {
        return 0;
    }
    DWORD claimed = 0;
    std::memcpy(&claimed, data, 4);
    // The reply alone on the heap, so the sanitizer sees any read past it.
    const std::size_t length = size - 4;
    auto reply = std::make_unique<std::uint8_t[]>(length);
    std::memcpy(reply.get(), data + 4, length);

    std::uint32_t busType = 0;
    ParseBusType(reply.get(), static_cast<std::uint32_t>(length), busType);
    for (const std::uint32_t page : {kNvmeIdentifySize, kNvmeHealthSize}) {
        const std::uint8_t* found = LocateProtocolData(reply.get(), static_cast<std::uint32_t>(length), page);
        if (found != nullptr && (found < reply.get() || found + page > reply.get() + length)) {
            __builtin_trap();
        }
    }

    FuzzedDriver driver(reply.get(), length, claimed);
    InstallDiskControl(&driver);
    auto record = std::make_unique<DriveRecord>();
    HANDLE handle = reinterpret_cast<HANDLE>(0x10);
    record->kind = DriveKind::Nvme;
    record->nvme.IsNvme(handle);
    record->nvmeIdentifyResult = record->nvme.IdentifyController(handle, record->nvmeIdentifyBytes);
    record->healthResult = record->nvme.ReadHealthLog(handle, record->healthBytes);
    InstallDiskControl(nullptr);

    if (record->nvmeIdentifyResult != nullptr) {
        CopyNvmeText(record->model, record->nvmeIdentifyResult + kNvmeModelOffset, kNvmeModelLength);
        CopyNvmeText(record->firmware, record->nvmeIdentifyResult + kNvmeFirmwareOffset, kNvmeFirmwareLength);
        CopyNvmeText(record->serial, record->nvmeIdentifyResult + kNvmeSerialOffset, kNvmeSerialLength);
        FormatNvmeCapacity(record->nvmeIdentifyResult, record->capacityText);
        CheckText(record->model, sizeof record->model);
        CheckText(record->firmware, sizeof record->firmware);
        CheckText(record->serial, sizeof record->serial);
        CheckText(record->capacityText, sizeof record->capacityText);
    }
    if (record->healthResult != nullptr) {
        HealthTemperature(record->healthResult);
    }
    const NvmeInfoRows info = BuildNvmeInfoRows(*record);
    for (const DriveInfoRow& row : info.rows) {
        CheckText(row.value, sizeof row.value);
    }
    const HealthRows health = BuildHealthRows(*record);
    for (unsigned i = 0; i < health.count; ++i) {
        for (const auto& cell : health.rows[i].cells) {
            CheckText(cell, sizeof cell);
        }
    }
    return 0;
}
