// Random sense data from a bridge: the decoder reads nothing past the bytes given, and
// what it reports agrees with the format byte.
#include "sat_passthrough.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The sense data alone on the heap, so the sanitizer sees any read past them.
    auto sense = std::make_unique<std::uint8_t[]>(size);
    if (size > 0) {
        std::memcpy(sense.get(), data, size);
    }
    const SatSense decoded = DecodeSatSense(sense.get(), size);
    const std::uint8_t format = size > 0 ? (data[0] & 0x7F) : 0;
    const bool known = format >= 0x70 && format <= 0x73 && size >= (format < 0x72 ? 3u : 4u);
    if ((decoded.kind != SatSenseKind::Unusable) != known) {
        __builtin_trap();
    }
    if (decoded.kind == SatSenseKind::AtaStatus && decoded.descriptorFormat != (format >= 0x72)) {
        __builtin_trap();
    }
    // Fixed format carries registers only where the bridge says so, and an abort's
    // registers always show the failure.
    if (decoded.kind == SatSenseKind::AtaStatus && !decoded.descriptorFormat &&
        (decoded.asc != 0 || decoded.ascq != kAscqAtaInformationAvailable ||
         (decoded.senseKey == kSenseKeyAbortedCommand && decoded.registers.status == 0))) {
        __builtin_trap();
    }
    SatCommandRejected(decoded);
    AtaCommandSucceeded(decoded.registers);
    return 0;
}
