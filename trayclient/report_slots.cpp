#include "report_slots.h"

#include "civil_time.h"
#include "cp932_text.h"
#include "health_words.h"
#include "pelito_texts.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::uint8_t kHottestShown = 99;

// A fixed-width field as a terminated text: up to the first NUL or the whole field.
template <std::size_t Width>
struct FieldText {
    explicit FieldText(const char (&field)[Width])
    {
        std::size_t length = 0;
        while (length < Width && field[length] != '\0') {
            ++length;
        }
        std::memcpy(text, field, length);
        text[length] = '\0';
    }
    char text[Width + 1];
};

// Copies as much of the text as fits the destination without splitting a character.
template <std::size_t Size>
void CopyCut(const char* text, char (&out)[Size])
{
    const std::size_t length = Cp932FitLength(text, Size - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

DriveReport ReadRecord(const ReportBuffer& reply, unsigned slot)
{
    DriveReport record;
    std::memcpy(&record, reply + slot * kDriveReportBytes, kDriveReportBytes);
    return record;
}

constexpr std::uint8_t kNotAnsweringState = 3;  // the verdict report's temperature state

// "not answering since 12:34", at this PC's local time.
std::string NotAnsweringText(std::int64_t since)
{
    char text[96];
    std::snprintf(text, sizeof text, Text(PelitoText::NotAnsweringSince), LocalClockText(since).c_str());
    return text;
}

}  // namespace

unsigned GlyphForTemperature(std::uint8_t current, std::uint32_t warningTemperature)
{
    if (current == 0) {
        return kNoTemperaturePicture;  // the report's "no temperature", never "00"
    }
    const unsigned shown = current > kHottestShown ? kHottestShown : current;
    return current > warningTemperature ? kWarningPictures + shown : shown;
}

void DetailsText(const char* host, std::uint32_t port, unsigned slot, const DriveReport& report, char (&text)[kDetailsSize],
    const VerdictRecord* verdict)
{
    const FieldText<kReportFirmwareBytes> firmware(report.firmware);
    const FieldText<kReportSerialBytes> serial(report.serial);
    // Room for a host of 255 bytes and every other line; the result is cut afterwards.
    char whole[kDetailsSize * 3];
    std::snprintf(whole, sizeof whole, Text(PelitoText::Details),
        host, static_cast<unsigned>(port), slot, firmware.text, serial.text, static_cast<unsigned>(report.current),
        static_cast<unsigned>(report.maximum));
    if (verdict != nullptr && verdict->present != 0 && verdict->health != 0) {
        std::string line = std::string(Text(PelitoText::HealthLine)) + HealthWord(verdict->health);
        if (verdict->reasonCount > 0) {
            line += " (" + HealthReasonWords(verdict->reasonKind, verdict->reasonAttribute, verdict->reasonFrom,
                                             verdict->reasonTo, verdict->reasonLimit) + ")";
        }
        // The health line goes before the detail lines it would otherwise lose to the cut.
        char withHealth[kDetailsSize * 4];
        std::snprintf(withHealth, sizeof withHealth, "%s%s", whole, line.c_str());
        CopyCut(withHealth, text);
        return;
    }
    CopyCut(whole, text);
}

void ReportSlots::Apply(const ReportBuffer& reply, const char* host, std::uint32_t port,
    std::uint32_t warningTemperature, SlotUpdate (&updates)[kDriveSlots], const VerdictReport* verdicts)
{
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
        SlotUpdate& update = updates[slot];
        update = SlotUpdate{};
        const DriveReport record = ReadRecord(reply, slot);
        if (record.present == 0) {
            continue;  // the icon keeps its last picture and texts
        }
        const VerdictRecord* verdict =
            verdicts != nullptr && verdicts->drives[slot].present != 0 ? &verdicts->drives[slot] : nullptr;
        // The report keeps a drive's last value for old clients; the verdict says it is old.
        const bool lost = verdict != nullptr && verdict->temperatureState == kNotAnsweringState;
        if (lost) {
            update.glyph = kNoTemperaturePicture;
            update.healthBad = verdict->health == 3;
            health_[slot] = verdict->health;
        } else if (verdict != nullptr) {
            // The drive's own limit; 0 says it is never hot.
            const std::uint32_t own = verdict->warningTemperature != 0 ? verdict->warningTemperature : 255;
            const bool bad = verdict->health == 3;
            update.glyph = GlyphForTemperature(record.current, bad ? 0 : own);
            update.healthBad = bad;
            update.healthWorse = health_[slot] != 0 && verdict->health > health_[slot];
            health_[slot] = verdict->health;
        } else {
            update.glyph = GlyphForTemperature(record.current, warningTemperature);
        }
        update.change = stored_[slot].present == record.present ? TrayChange::Modify : TrayChange::Add;
        const FieldText<kReportModelBytes> model(record.model);
        char tooltip[kTooltipSize + 8];
        if (lost) {
            std::snprintf(tooltip, sizeof tooltip, "%u:%s (%s)", slot, model.text,
                NotAnsweringText(verdict->notAnsweringSince).c_str());
        } else {
            std::snprintf(tooltip, sizeof tooltip, "%u:%s", slot, model.text);
        }
        CopyCut(tooltip, update.tooltip);
        CopyCut(model.text, update.balloonTitle);
        stored_[slot] = record;
        DetailsText(host, port, slot, stored_[slot], update.details, verdict);
    }
}
