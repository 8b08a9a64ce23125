// What one poll does to the 16 drive icons: for every slot the reply reports, the digit
// picture, whether the icon is added or modified, and its tooltip and balloon texts.
// The last report of each slot is kept, so a drive that stops being reported keeps its
// icon as it was.
#pragma once

#include "client_pictures.h"
#include "query_protocol.h"
#include "verdict_report.h"

#include <cstddef>
#include <cstdint>

constexpr unsigned kDriveSlots = kReportRecords;
constexpr std::size_t kTooltipSize = 128;
constexpr std::size_t kBalloonTitleSize = 64;
constexpr std::size_t kDetailsSize = 256;

enum class TrayChange { None, Add, Modify };

struct SlotUpdate {
    TrayChange change = TrayChange::None;  // None: the slot was not reported
    unsigned glyph = 0;                     // a picture of client_pictures.h
    char tooltip[kTooltipSize] = {};
    char balloonTitle[kBalloonTitleSize] = {};
    char details[kDetailsSize] = {};
    bool healthWorse = false;  // its health is worse than the last poll's (not the first)
    bool healthBad = false;
};

// The reply of one poll: the 1920-byte buffer, cleared before the exchange.
using ReportBuffer = std::uint8_t[kReportBytes];

// The picture for a temperature: warning digits above the warning temperature; 100
// degrees and more show 99, since the icons only have two digits; 0 (the report's "no
// temperature") the no-temperature picture.
unsigned GlyphForTemperature(std::uint8_t current, std::uint32_t warningTemperature);

// The lines of the detail balloon, cut to 255 bytes on a character boundary.
// With a verdict, a health line ("健康状態 : 注意 (reason)") ends them.
void DetailsText(const char* host, std::uint32_t port, unsigned slot, const DriveReport& report,
    char (&text)[kDetailsSize], const VerdictRecord* verdict = nullptr);

class ReportSlots {
public:
    // Reads the reply and remembers the reported slots. The text fields are read within
    // their widths, whether or not the sender terminated them. With the server's
    // verdicts each drive is coloured by its own warning temperature (and in warning
    // colours while its health is bad); without, by `warningTemperature`.
    void Apply(const ReportBuffer& reply, const char* host, std::uint32_t port, std::uint32_t warningTemperature,
        SlotUpdate (&updates)[kDriveSlots], const VerdictReport* verdicts = nullptr);

    const DriveReport& Stored(unsigned slot) const { return stored_[slot]; }

private:
    DriveReport stored_[kDriveSlots] = {};
    std::uint8_t health_[kDriveSlots] = {};  // the last verdict's health, 0 unknown
};
