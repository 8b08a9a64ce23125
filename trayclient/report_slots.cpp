#include "report_slots.h"

#include "cp932_text.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned kWarningBank = 100;
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

}  // namespace

unsigned GlyphForTemperature(std::uint8_t current, std::uint32_t warningTemperature)
{
    const unsigned shown = current > kHottestShown ? kHottestShown : current;
    return current > warningTemperature ? kWarningBank + shown : shown;
}

void DetailsText(const char* host, std::uint32_t port, unsigned slot, const DriveReport& report, char (&text)[kDetailsSize])
{
    const FieldText<kReportFirmwareBytes> firmware(report.firmware);
    const FieldText<kReportSerialBytes> serial(report.serial);
    // Room for a host of 255 bytes and every other line; the result is cut afterwards.
    char whole[kDetailsSize * 3];
    std::snprintf(whole, sizeof whole,
        "アドレス   : %s:%u\n"
        "デバイス   : %u\n"
        "バージョン : %s\n"
        "シリアル   : %s\n"
        "現在の温度 : %u℃\n"
        "最大の温度 : %u℃",
        host, static_cast<unsigned>(port), slot, firmware.text, serial.text, static_cast<unsigned>(report.current),
        static_cast<unsigned>(report.maximum));
    CopyCut(whole, text);
}

void ReportSlots::Apply(const ReportBuffer& reply, const char* host, std::uint32_t port,
    std::uint32_t warningTemperature, SlotUpdate (&updates)[kDriveSlots])
{
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
        SlotUpdate& update = updates[slot];
        update = SlotUpdate{};
        const DriveReport record = ReadRecord(reply, slot);
        if (record.present == 0) {
            continue;  // the icon keeps its last picture and texts
        }
        update.glyph = GlyphForTemperature(record.current, warningTemperature);
        update.change = stored_[slot].present == record.present ? TrayChange::Modify : TrayChange::Add;
        const FieldText<kReportModelBytes> model(record.model);
        char tooltip[kTooltipSize + 8];
        std::snprintf(tooltip, sizeof tooltip, "%u:%s", slot, model.text);
        CopyCut(tooltip, update.tooltip);
        CopyCut(model.text, update.balloonTitle);
        stored_[slot] = record;
        DetailsText(host, port, slot, stored_[slot], update.details);
    }
}
