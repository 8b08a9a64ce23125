// Arbitrary replies and settings through the tray client's poll handling: a header of
// warning temperature, port and poll period (4 bytes each), a command-line length byte
// and that many bytes of command line, then the reply (any length; beyond 1920 bytes it
// is cut, as the receive buffer holds no more). Each reply is applied twice, so both
// the add and the modify path run, and every text must end inside its field on a whole
// character.
#include "host_text.h"
#include "timer_period.h"
#include "client_pictures.h"
#include "report_slots.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::uint32_t Word(const std::uint8_t* data)
{
    return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The text ends before the field's last byte and its last character is whole.
template <std::size_t Size>
void CheckText(const char (&text)[Size])
{
    const std::size_t length = strnlen(text, Size);
    if (length >= Size) {
        std::abort();
    }
    std::size_t i = 0;
    while (i < length) {
        i += (IsLead(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0') ? 2 : 1;
    }
    if (i != length) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHeader = 13;
    if (size < kHeader) {
        return 0;
    }
    const std::uint32_t warning = Word(data);
    const std::uint32_t port = Word(data + 4);
    const std::uint32_t timer = Word(data + 8);
    const std::size_t commandLength = data[12];
    if (size < kHeader + commandLength) {
        return 0;
    }
    const std::string commandLine(reinterpret_cast<const char*>(data + kHeader), commandLength);
    const std::uint8_t* reply = data + kHeader + commandLength;
    const std::size_t replySize = size - kHeader - commandLength;

    char host[kHostTextSize];
    HostFromCommandLine(commandLine.c_str(), host);
    CheckText(host);
    if (host[0] == '\0') {
        std::abort();
    }
    const std::uint32_t period = TimerPeriodMs(timer);
    if (period < 1000 || period > 0x7FFFFFFFu) {
        std::abort();
    }

    ReportBuffer buffer = {};
    std::memcpy(buffer, reply, replySize < kReportBytes ? replySize : kReportBytes);
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    for (int round = 0; round < 2; ++round) {
        slots.Apply(buffer, host, port, warning, updates);
        for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
            const SlotUpdate& u = updates[slot];
            const bool present = buffer[slot * kDriveReportBytes] != 0;
            const TrayChange expected = !present ? TrayChange::None : round == 0 ? TrayChange::Add : TrayChange::Modify;
            if (u.change != expected || u.glyph >= kClientPictureCount) {
                std::abort();
            }
            CheckText(u.tooltip);
            CheckText(u.balloonTitle);
            CheckText(u.details);
        }
    }
    return 0;
}
