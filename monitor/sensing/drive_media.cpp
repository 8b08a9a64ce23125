#include "drive_media.h"

namespace {
constexpr unsigned kRotationRateOffset = 434;  // word 217
constexpr std::uint16_t kNonRotating = 0x0001;
constexpr std::uint16_t kSlowestRate = 0x0401;
constexpr std::uint16_t kReserved = 0xFFFF;
}  // namespace

MediaAnswer MediaOfIdentify(const std::uint8_t* identify)
{
    MediaAnswer answer;
    if (identify == nullptr) {
        return answer;
    }
    const auto rate =
        static_cast<std::uint16_t>(identify[kRotationRateOffset] | identify[kRotationRateOffset + 1] << 8);
    if (rate == kNonRotating) {
        answer.media = DriveMedia::SolidState;
    } else if (rate >= kSlowestRate && rate != kReserved) {
        answer.media = DriveMedia::Rotating;
        answer.rpm = rate;
    }
    return answer;
}

MediaAnswer MediaOf(const DriveRecord& record)
{
    switch (record.kind) {
    case DriveKind::Nvme:
        return MediaAnswer{DriveMedia::SolidState, 0};
    case DriveKind::Ata:
        return MediaOfIdentify(record.identifyResult);  // a whole sector, or null
    default:
        return MediaAnswer{};
    }
}

const char* MediaName(DriveMedia media)
{
    switch (media) {
    case DriveMedia::SolidState:
        return "ssd";
    case DriveMedia::Rotating:
        return "hdd";
    default:
        return "unknown";
    }
}

std::string DescribeMedia(const MediaAnswer& answer)
{
    switch (answer.media) {
    case DriveMedia::SolidState:
        return "solid state";
    case DriveMedia::Rotating:
        return answer.rpm != 0 ? "rotating at " + std::to_string(answer.rpm) + " rpm" : "rotating";
    default:
        return "not reported";
    }
}
