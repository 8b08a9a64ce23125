// A stand-in monitor for tests of programs that run tempquery: answers every report
// command on 127.0.0.1 with a fixed report, until it is ended or sent the stop command.
//
//   report_responder PORT_FILE SLOT:CURRENT:WORST:MODEL...
//
// It binds a free port and writes "<answering port> <silent port>" to PORT_FILE (renamed
// into place, so a reader never sees half of it); nothing ever answers on the silent port.
#include "loopback_socket.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool AddDrive(Bytes& report, const std::string& fields)
{
    unsigned slot = 0;
    unsigned current = 0;
    unsigned worst = 0;
    int consumed = 0;
    if (std::sscanf(fields.c_str(), "%u:%u:%u:%n", &slot, &current, &worst, &consumed) != 3 || consumed == 0 ||
        slot > 15 || current > 255 || worst > 255 || fields.size() - consumed > 63) {
        return false;
    }
    std::uint8_t* record = report.data() + slot * 120;
    record[0] = 1;
    record[1] = static_cast<std::uint8_t>(current);
    record[2] = static_cast<std::uint8_t>(worst);
    std::memcpy(record + 8, fields.c_str() + consumed, fields.size() - consumed);
    std::memcpy(record + 72, "FW01", 4);
    std::memcpy(record + 88, "SERIAL", 6);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: report_responder PORT_FILE SLOT:CURRENT:WORST:MODEL...\n", stderr);
        return 2;
    }
    Bytes report(1920, 0);
    for (int i = 2; i < argc; ++i) {
        if (!AddDrive(report, argv[i])) {
            std::fprintf(stderr, "report_responder: bad drive \"%s\"\n", argv[i]);
            return 2;
        }
    }
    const LoopbackSocket answering;
    const LoopbackSocket silent;
    if (!answering.IsOpen() || !silent.IsOpen()) {
        std::fputs("report_responder: cannot bind\n", stderr);
        return 1;
    }
    const std::string portFile = argv[1];
    const std::string partial = portFile + ".part";
    if (FILE* file = std::fopen(partial.c_str(), "w")) {
        std::fprintf(file, "%u %u\n", answering.Port(), silent.Port());
        std::fclose(file);
        std::rename(partial.c_str(), portFile.c_str());
    }
    for (;;) {
        sockaddr_in from{};
        const std::optional<Bytes> request = answering.Receive(&from, 24 * 3600 * 1000);
        if (!request) {
            continue;
        }
        if (*request == Bytes{0x10}) {
            return 0;
        }
        if (*request == Bytes{0x01}) {
            answering.SendTo(ntohs(from.sin_port), report, inet_ntoa(from.sin_addr));
        }
    }
}
