#include "report_printer.h"

#include "host_outcome.h"
#include "report_record.h"

#include <cstdio>

std::string FormatDriveLines(const std::uint8_t (&report)[kReportBytes], const DriveHealthView* health)
{
    std::string lines;
    for (unsigned slot = 0; slot < kReportRecords; ++slot) {
        const DriveReport record = ReportRecordAt(report, slot);
        if (record.present != 1) {
            continue;
        }
        const std::string_view model = FieldText(record.model);
        const std::string_view firmware = FieldText(record.firmware);
        const std::string_view serial = FieldText(record.serial);
        // Widest line: "#15 255/255 : " + 64 + " (" + 16 + " " + 32 + ")\n".
        char line[160];
        const int length = std::snprintf(line, sizeof line, "#%-2u %2u/%2u : %.*s (%.*s %.*s)\n", slot,
                                         unsigned{record.current}, unsigned{record.maximum},
                                         static_cast<int>(model.size()), model.data(),
                                         static_cast<int>(firmware.size()), firmware.data(),
                                         static_cast<int>(serial.size()), serial.data());
        lines.append(line, static_cast<std::size_t>(length));
        if (health != nullptr) {
            const DriveHealthView& view = health[slot];
            lines.pop_back();  // the words go before the newline
            lines += ' ';
            lines += HealthStateName(view.known ? view.health : HealthState::Unknown);
            lines += view.known && view.asleep ? " asleep" : "";
            lines += view.known && view.temperature == TemperatureState::NotAnswering ? " not_answering" : "";
            lines += '\n';
        }
    }
    return lines;
}
