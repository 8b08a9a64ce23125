// tempquery: asks one monitor for its drive report and prints one line per drive.
//
//   tempquery <dotted IPv4 address>
//
// The port is 10008; the environment variable KELVIX_QUERY_PORT (1 to 65535) replaces it,
// for monitors configured on another port and for tests.
#include "dotted_address.h"
#include "query_protocol.h"
#include "query_socket.h"
#include "report_printer.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kFailure = -1;

// 0 when the variable holds no valid port.
std::uint16_t PortFromEnvironment(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 65535) {
        return 0;
    }
    return static_cast<std::uint16_t>(value);
}

int Fail(const char* message)
{
    std::fputs(message, stdout);
    return kFailure;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareOutput();
    if (argc != 2) {
        std::fputs("usage: tempquery <IPv4 address>\n", stderr);
        return kFailure;
    }
    std::uint8_t octets[4];
    if (!ParseDottedIPv4(argv[1], octets)) {
        std::fprintf(stderr, "tempquery: \"%s\" is not a dotted IPv4 address (such as 192.168.0.10).\n", argv[1]);
        return kFailure;
    }
    std::uint16_t port = static_cast<std::uint16_t>(kDefaultQueryPort);
    if (const char* portText = std::getenv("KELVIX_QUERY_PORT")) {
        port = PortFromEnvironment(portText);
        if (port == 0) {
            std::fprintf(stderr, "tempquery: KELVIX_QUERY_PORT \"%s\" is not a port number (1 to 65535).\n",
                         portText);
            return kFailure;
        }
    }

    if (!StartSockets()) {
        return Fail("WSAStartup() error.\n");
    }
    const QuerySocket socket = OpenDatagramSocket();
    if (socket == kNoQuerySocket) {
        return Fail("socket() error.\n");
    }
    const std::uint8_t command = kReportCommand;
    if (SendDatagram(socket, octets, port, &command, 1) < 1) {
        return Fail("sendto() error.\n");
    }
    // Records that do not arrive stay zero and read as absent.
    std::uint8_t report[kReportBytes] = {};
    if (ReceiveDatagram(socket, report, static_cast<int>(sizeof report)) < 0) {
        return Fail("recvfrom() error.\n");
    }
    const std::string lines = FormatDriveLines(report);
    std::fwrite(lines.data(), 1, lines.size(), stdout);

    CloseDatagramSocket(socket);
    if (!EndSockets()) {
        return Fail("WSACleanup() error.\n");
    }
    return 0;
}
