// A USB bridge or the RST driver answering with random bytes: every pass-through request
// gets a slice of the input as its reply (status, lengths, data), and KELVIX probes the
// bridges, then reads identify and the health log. Nothing is read past a buffer, and
// every page it takes passes the plausibility checks.
#include "disk_control.h"
#include "nvme_device.h"
#include "nvme_plausibility.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

class RandomReplies final : public DiskControl {
public:
    RandomReplies(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t PlatformId() override { return kPlatformWindowsNT; }
    HANDLE Open(const char*, DWORD, DWORD, DWORD) override
    {
        return Next() & 1 ? reinterpret_cast<HANDLE>(0x20) : INVALID_HANDLE_VALUE;
    }
    bool Request(HANDLE, DWORD, const void*, DWORD, void* out, DWORD outSize, DWORD* bytesReturned) override
    {
        // The reply keeps the request where the slice ends, as a driver answering in place.
        const std::size_t take = Next() | static_cast<std::size_t>(Next()) << 8;
        const std::size_t length = take < size_ - at_ ? take : size_ - at_;
        const std::size_t copied = length < outSize ? length : outSize;
        if (out != nullptr && copied > 0) {
            std::memcpy(out, data_ + at_, copied);
        }
        at_ += length;
        const DWORD claimed = static_cast<DWORD>(Next() | Next() << 8 | Next() << 16);
        if (bytesReturned != nullptr) {
            *bytesReturned = claimed;
        }
        return (Next() & 3) != 0;
    }
    void Close(HANDLE) override {}

private:
    std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RandomReplies replies(data, size);
    InstallDiskControl(&replies);
    {
        NvmeDevice device;
        const HANDLE disk = reinterpret_cast<HANDLE>(0x10);
        const bool reached = size > 0 && (data[0] & 1) != 0 ? device.UseUsbBridge(disk, "JMicron ASMT", "RTL9210")
                                                             : device.UseIntelRst(disk, size > 1 && (data[1] & 1) ? "" : "S");
        std::uint32_t bytes = 0;
        if (reached) {
            const std::uint8_t* identify = device.IdentifyController(disk, bytes);
            if (identify != nullptr && !PlausibleIdentify(identify)) {
                __builtin_trap();
            }
            const std::uint8_t* health = device.ReadHealthLog(disk, bytes);
            if (health != nullptr && !PlausibleHealth(health)) {
                __builtin_trap();
            }
        }
    }
    InstallDiskControl(nullptr);
    return 0;
}
