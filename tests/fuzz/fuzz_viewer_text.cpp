// Random version records, IDENTIFY sectors, attribute and threshold tables and drive
// texts through every text the S.M.A.R.T. viewer shows: each text ends inside its field
// and nothing outside the given sectors is read.
#include "attribute_names.h"
#include "viewer_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// Takes bytes from the input in order; zeros once it runs out.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    void Take(void* out, std::size_t count)
    {
        std::uint8_t* bytes = static_cast<std::uint8_t*>(out);
        for (std::size_t i = 0; i < count; ++i) {
            bytes[i] = at_ < size_ ? data_[at_++] : 0;
        }
    }
    template <typename T>
    T Next()
    {
        T value{};
        Take(&value, sizeof value);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void MustEndInside(const char* text, std::size_t size)
{
    if (std::memchr(text, '\0', size) == nullptr) {
        __builtin_trap();
    }
}

constexpr std::size_t kTableBytes = kSmartEntryCount * kSmartEntrySize;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    const std::uint8_t missing = input.Next<std::uint8_t>();  // bit n: result n absent

    // Each sector on the heap at its exact size, so the sanitizer sees any read past it.
    auto version = std::make_unique<GETVERSIONINPARAMS>();
    input.Take(version.get(), sizeof *version);
    auto identify = std::make_unique<std::uint8_t[]>(kSmartSectorSize);
    input.Take(identify.get(), kSmartSectorSize);
    auto attributes = std::make_unique<std::uint8_t[]>(kTableBytes);
    input.Take(attributes.get(), kTableBytes);
    auto thresholds = std::make_unique<std::uint8_t[]>(kTableBytes);
    input.Take(thresholds.get(), kTableBytes);

    auto drives = std::make_unique<DriveState>();
    DriveRecord& record = drives->table[0];
    record.versionResult = (missing & 1) ? nullptr : version.get();
    record.identifyResult = (missing & 2) ? nullptr : identify.get();
    record.attributeResult = (missing & 4) ? nullptr : attributes.get();
    record.thresholdResult = (missing & 8) ? nullptr : thresholds.get();
    record.versionBytes = input.Next<std::uint32_t>();
    record.identifyBytes = input.Next<std::uint32_t>();
    record.attributeBytes = input.Next<std::uint32_t>();
    record.thresholdBytes = input.Next<std::uint32_t>();

    const DriveInfoRows info = BuildDriveInfoRows(record);
    for (const DriveInfoRow& row : info.rows) {
        if (row.item == nullptr || row.item[0] == '\0') __builtin_trap();
        MustEndInside(row.value, sizeof row.value);
    }

    const AttributeRows rows = BuildAttributeRows(record);
    if (rows.count > kSmartEntryCount || (record.attributeResult == nullptr && rows.count != 0)) __builtin_trap();
    for (unsigned i = 0; i < rows.count; ++i) {
        if (i > 0 && rows.rows[i].position <= rows.rows[i - 1].position) __builtin_trap();
        for (const auto& cell : rows.rows[i].cells) {
            MustEndInside(cell, sizeof cell);
        }
    }

    // The selector over texts that may hold no terminator at all.
    drives->probeCount = input.Next<std::uint32_t>();
    const std::uint16_t presentMask = input.Next<std::uint16_t>();
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        DriveRecord& drive = drives->table[i];
        drive.present = (presentMask >> i) & 1u;
        input.Take(drive.model, sizeof drive.model);
        input.Take(drive.firmware, sizeof drive.firmware);
        input.Take(drive.serial, sizeof drive.serial);
        input.Take(drive.capacityText, sizeof drive.capacityText);
        input.Take(drive.transferModeText, sizeof drive.transferModeText);
    }
    const SelectorLines lines = BuildSelectorLines(*drives);
    if (lines.count > kMaxDrives) __builtin_trap();
    for (unsigned i = 0; i < lines.count; ++i) {
        MustEndInside(lines.lines[i].text, sizeof lines.lines[i].text);
        if (lines.lines[i].driveNumber >= kMaxDrives) __builtin_trap();
    }
    drives->presentCount = input.Next<std::uint32_t>();
    input.Take(drives->presentList, sizeof drives->presentList);
    const std::uint32_t drive = DriveAtSelectorPosition(*drives, input.Next<std::int32_t>());
    if (drive != kNoDrive && drive >= kMaxDrives) __builtin_trap();

    // The bit and flag texts with any value, width and buffer size.
    const std::uint32_t value = input.Next<std::uint32_t>();
    const unsigned bits = input.Next<std::uint8_t>();
    const std::size_t bufferSize = input.Next<std::uint8_t>() % (kBitPatternSize + 1);
    auto buffer = std::make_unique<char[]>(bufferSize);  // exactly the size given
    FormatBitPattern(buffer.get(), bufferSize, value, bits);
    if (bufferSize > 0) MustEndInside(buffer.get(), bufferSize);
    FormatStatusFlags(buffer.get(), bufferSize, static_cast<std::uint16_t>(value));
    if (bufferSize > 0) MustEndInside(buffer.get(), bufferSize);
    if (GetAttributeName(static_cast<std::uint8_t>(value)) == nullptr) __builtin_trap();
    return 0;
}
