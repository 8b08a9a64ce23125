// The export services in the monitor program: started with it from the settings file,
// answering from each measurement, changed through the settings dialog, and a port that
// cannot be opened told in a box while the program goes on.
#include "app_state_win.h"
#include "ini_file.h"
#include "main_window_win.h"
#include "modal_script.h"
#include "monitor_fixture.h"
#include "monitor_ids.h"
#include "settings_dialog_win.h"
#include "window_picture.h"
#include "ws32_calls.h"
#include "ws32_stream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A loopback TCP port nothing listens on now (the socket library is loaded by then).
std::uint16_t FreeTcpPort()
{
    const Ws32Socket probe = Ws32OpenListener(ws32_htonl(INADDR_LOOPBACK), 0, 1);
    const std::uint16_t port = Ws32LocalPort(probe);
    ws32_closesocket(probe);
    return port;
}

// Everything one connection to the port gives until the service closes it; a guard
// time on each wait, so a service that never answers fails the test.
std::string ReadService(std::uint16_t port, const std::string& request = "")
{
    const Ws32Socket client = ws32_socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = ws32_htons(port);
    target.sin_addr.s_addr = ws32_htonl(INADDR_LOOPBACK);
    std::string answer;
    if (ws32_connect(client, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        if (!request.empty()) {
            ws32_send(client, request.data(), static_cast<int>(request.size()), 0);
        }
        char buffer[4096];
        while (Ws32WaitReadable(client, 10, 0) == WaitResult::Readable) {
            const int got = ws32_recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ws32_closesocket(client);
    return answer;
}

class MonitorExport : public MonitorFixture {
protected:
    MonitorExport() : MonitorFixture("EXPORTTEST.CFG") {}
    void Command(UINT id) { SendMessageA(window_, WM_COMMAND, id, 0); }
};

TEST_F(MonitorExport, ServicesFollowTheMeasurementsAndTheSettingsDialog)
{
    WriteIni(kKelvixIni, "Export", "ListenAddress", "127.0.0.1");
    Start({{0, "SIM A", {39, 45}}});  // enumeration 39, which the first measurement takes
    EXPECT_FALSE(app_->exporter.Running()) << "off until a port is set";
    // Free ports can only be found once the program has loaded the socket library.
    const std::uint16_t hddtempPort = FreeTcpPort();
    const std::uint16_t metricsPort = FreeTcpPort();
    std::string shownPort;
    ModalScript script({
        [&](HWND dialog) {
            shownPort = ModalScript::Text(dialog, IDC_HDDTEMP_PORT);
            SetDlgItemInt(dialog, IDC_HDDTEMP_PORT, hddtempPort, FALSE);
            SetDlgItemInt(dialog, IDC_METRICS_PORT, metricsPort, FALSE);
            EXPECT_TRUE(SaveWindowPicture(dialog, "settings_dialog_export.png"));
            ModalScript::Click(dialog, IDOK);
        },
    });
    Command(CMD_SETTINGS);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(shownPort, "0");
    ASSERT_TRUE(app_->exporter.Running());
    EXPECT_EQ(ReadIni(kKelvixIni, "Export", "HddtempPort"), std::to_string(hddtempPort));
    EXPECT_EQ(ReadIni(kKelvixIni, "Export", "MetricsPort"), std::to_string(metricsPort));

    EXPECT_EQ(ReadService(hddtempPort), "|/dev/PhysicalDrive0|SIM A|39|C|");
    Command(CMD_MEASURE_NOW);
    EXPECT_EQ(ReadService(hddtempPort), "|/dev/PhysicalDrive0|SIM A|45|C|") << "each measurement is published";
    const std::string page = ReadService(metricsPort, "GET /metrics HTTP/1.1\r\n\r\n");
    EXPECT_EQ(page.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(page.find("\nkelvix_drive_temperature_celsius{drive=\"0\",serial=\""), std::string::npos) << page;

    // Both off: nothing runs, nothing listens.
    ModalScript off({
        [&](HWND dialog) {
            SetDlgItemInt(dialog, IDC_HDDTEMP_PORT, 0, FALSE);
            SetDlgItemInt(dialog, IDC_METRICS_PORT, 0, FALSE);
            ModalScript::Click(dialog, IDOK);
        },
    });
    Command(CMD_SETTINGS);
    ASSERT_TRUE(off.Finished());
    EXPECT_FALSE(app_->exporter.Running());
    EXPECT_EQ(ReadService(hddtempPort), "");
}

TEST_F(MonitorExport, PortThatCannotBeOpenedIsToldAndTheProgramGoesOn)
{
    Start({{0, "SIM A", {40}}});
    const Ws32Socket holder = Ws32OpenListener(ws32_htonl(INADDR_LOOPBACK), 0, 1);
    const std::uint16_t taken = Ws32LocalPort(holder);
    std::string box;
    ModalScript script({
        [&](HWND dialog) {
            SetDlgItemInt(dialog, IDC_METRICS_PORT, taken, FALSE);
            SetDlgItemTextA(dialog, IDC_LISTEN_ADDRESS, "127.0.0.1");
            ModalScript::Click(dialog, IDOK);
        },
        [&](HWND dialog) {
            box = ModalScript::BoxText(dialog);
            ModalScript::Click(dialog, IDOK);
        },
    });
    Command(CMD_SETTINGS);
    EXPECT_TRUE(script.Finished());
    ws32_closesocket(holder);
    EXPECT_NE(box.find(std::to_string(taken)), std::string::npos) << box;
    EXPECT_FALSE(app_->exporter.Running());
    EXPECT_TRUE(IsWindow(window_));
    Command(CMD_MEASURE_NOW);
    EXPECT_EQ(app_->drives.table[0].currentTemperature, 40);

    // An address that is not this PC's is told the same way.
    std::string second;
    ModalScript other({
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_LISTEN_ADDRESS, "not an address");
            ModalScript::Click(dialog, IDOK);
        },
        [&](HWND dialog) {
            second = ModalScript::BoxText(dialog);
            ModalScript::Click(dialog, IDOK);
        },
    });
    Command(CMD_SETTINGS);
    EXPECT_TRUE(other.Finished());
    EXPECT_NE(second.find("not an address"), std::string::npos) << second;
}

}  // namespace
