#include "nvme_plausibility.h"

#include "nvme_records.h"

namespace {

constexpr unsigned kHealthReservedFrom = 232;

bool Printable(const std::uint8_t* text, unsigned length)
{
    for (unsigned i = 0; i < length; ++i) {
        if (text[i] < 0x20 || text[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool PlausibleIdentify(const std::uint8_t* identify)
{
    if (identify == nullptr || !Printable(identify + kNvmeModelOffset, kNvmeModelLength) ||
        !Printable(identify + kNvmeSerialOffset, kNvmeSerialLength) ||
        !Printable(identify + kNvmeFirmwareOffset, kNvmeFirmwareLength)) {
        return false;
    }
    for (unsigned i = 0; i < kNvmeModelLength; ++i) {
        if (identify[kNvmeModelOffset + i] != ' ') {
            return true;
        }
    }
    return false;
}

bool PlausibleHealth(const std::uint8_t* health)
{
    if (health == nullptr) {
        return false;
    }
    for (unsigned i = kHealthReservedFrom; i < kNvmeHealthSize; ++i) {
        if (health[i] != 0) {
            return false;
        }
    }
    const unsigned kelvin = health[kHealthCompositeTempOffset] | health[kHealthCompositeTempOffset + 1] << 8;
    return kelvin == 0 || (kelvin >= 173 && kelvin <= 473);
}
