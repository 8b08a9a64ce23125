// What one poll does to the 16 drive icons: for every slot the reply reports, the digit
// picture, whether the icon is added or modified, and its tooltip and balloon texts.
// The last report of each slot is kept, so a drive that stops being reported keeps its
// icon as it was.
#pragma once

#include "query_protocol.h"

#include <cstddef>
#include <cstdint>

constexpr unsigned kDriveSlots = kReportRecords;
constexpr std::size_t kTooltipSize = 128;
constexpr std::size_t kBalloonTitleSize = 64;
constexpr std::size_t kDetailsSize = 256;

enum class TrayChange { None, Add, Modify };

struct SlotUpdate {
    TrayChange change = TrayChange::None;  // None: the slot was not reported
    unsigned glyph = 0;                     // 0 to 99 normal, 100 to 199 warning digits
    char tooltip[kTooltipSize] = {};
    char balloonTitle[kBalloonTitleSize] = {};
    char details[kDetailsSize] = {};
};

// The reply of one poll: the 1920-byte buffer, cleared before the exchange.
using ReportBuffer = std::uint8_t[kReportBytes];

// The digit picture for a temperature: warning digits above the warning temperature;
// 100 degrees and more show 99, since the icons only have two digits.
unsigned GlyphForTemperature(std::uint8_t current, std::uint32_t warningTemperature);

// The lines of the detail balloon, cut to 255 bytes on a character boundary.
void DetailsText(const char* host, std::uint32_t port, unsigned slot, const DriveReport& report,
    char (&text)[kDetailsSize]);

class ReportSlots {
public:
    // Reads the reply and remembers the reported slots. The text fields are read within
    // their widths, whether or not the sender terminated them.
    void Apply(const ReportBuffer& reply, const char* host, std::uint32_t port, std::uint32_t warningTemperature,
        SlotUpdate (&updates)[kDriveSlots]);

    const DriveReport& Stored(unsigned slot) const { return stored_[slot]; }

private:
    DriveReport stored_[kDriveSlots] = {};
};
