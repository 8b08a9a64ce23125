// The viewer's self-test buttons as a table: pressable only for an awake, answering ATA
// drive with self-tests or NVMe drive with Device Self-test, and none running; the line
// beside them (the progress from the execution status byte or the NVMe page); the
// confirmation with the drive's own minutes.
#include "language.h"
#include "self_test_control.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr unsigned kIdentifyWord84 = 168;

struct Drive {
    std::uint8_t identify[512] = {};
    std::uint8_t data[512] = {};  // SMART READ DATA; the record points 2 bytes in
    DriveRecord record;

    Drive()
    {
        record.present = 1;
        record.kind = DriveKind::Ata;
        record.identifyResult = identify;
        record.attributeResult = data + 2;
        std::strcpy(record.model, "ST3500418AS");
    }
    void LogsSelfTests()
    {
        identify[kIdentifyWord84] = 0x02;
        identify[kIdentifyWord84 + 1] = 0x40;
    }
    // An NVMe drive on the inbox driver, OACS bit 4 set; its page says no test runs.
    std::uint8_t nvmeIdentify[4096] = {};
    std::uint8_t health[512] = {};
    void Nvme()
    {
        record.kind = DriveKind::Nvme;
        record.attributeResult = nullptr;
        record.nvmeIdentifyResult = nvmeIdentify;
        record.healthResult = health;
        nvmeIdentify[256] = 0x10;
        record.selfTests.read = record.selfTests.valid = true;
    }
};

TEST(SelfTestControl, WhenTheButtonsArePressable)
{
    SetProgramLanguage(Language::English);
    const struct {
        const char* name;
        void (*shape)(Drive&);
        bool starting;
        bool enabled;
        const char* status;
    } cases[] = {
        {"IDENTIFY says it has self-tests", [](Drive& d) { d.LogsSelfTests(); }, false, true, ""},
        {"the off-line capability says so", [](Drive& d) { d.data[367] = 0x10; }, false, true, ""},
        {"neither says so", [](Drive&) {}, false, false, "No self-test KELVIX can start"},
        {"the temperature property only", [](Drive& d) { d.LogsSelfTests(); d.record.kind = DriveKind::Property; },
         false, false, "No self-test KELVIX can start"},
        {"no drive", [](Drive& d) { d.LogsSelfTests(); d.record.present = 0; }, false, false, ""},
        {"asleep", [](Drive& d) { d.LogsSelfTests(); d.record.sleeping = 1; }, false, false, "asleep"},
        {"not answering", [](Drive& d) { d.LogsSelfTests(); d.record.lastReadFailed = 1; }, false, false, ""},
        {"being started", [](Drive& d) { d.LogsSelfTests(); }, true, false, "Starting the self-test..."},
        {"running, 60 % left", [](Drive& d) { d.LogsSelfTests(); d.data[363] = 0xF6; }, false, false,
         "Self-test running, 60 % left"},
        {"running, its last tenth", [](Drive& d) { d.LogsSelfTests(); d.data[363] = 0xF1; }, false, false,
         "Self-test running, 10 % left"},
        {"ended with a read failure", [](Drive& d) { d.LogsSelfTests(); d.data[363] = 0x70; }, false, true, ""},
        {"NVMe with Device Self-test", [](Drive& d) { d.Nvme(); }, false, true, ""},
        {"NVMe without OACS bit 4", [](Drive& d) { d.Nvme(); d.nvmeIdentify[256] = 0xEF; }, false, false,
         "No self-test KELVIX can start"},
        {"NVMe, its page says 37 % done", [](Drive& d) {
             d.Nvme();
             d.record.selfTests.currentOperation = 1;
             d.record.selfTests.currentCompletion = 37;
         }, false, false, "Self-test running, 63 % left"},
        {"NVMe, a vendor test at its start", [](Drive& d) { d.Nvme(); d.record.selfTests.currentOperation = 0xE; },
         false, false, "Self-test running, 100 % left"},
        {"NVMe without a health log this read", [](Drive& d) { d.Nvme(); d.record.healthResult = nullptr; }, false,
         false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Drive drive;
        c.shape(drive);
        const SelfTestControl control = DecideSelfTestControl(drive.record, c.starting);
        EXPECT_EQ(control.enabled, c.enabled);
        EXPECT_STREQ(control.status, c.status);
    }
    Drive running;
    running.LogsSelfTests();
    running.data[363] = 0xF3;
    SetProgramLanguage(Language::Japanese);
    EXPECT_STREQ(DecideSelfTestControl(running.record, false).status, "自己診断を実行中、残り 30 %");
}

TEST(SelfTestControl, TheConfirmationSaysWhatItCosts)
{
    SetProgramLanguage(Language::English);
    Drive drive;
    drive.data[372] = 2;     // short: 2 minutes
    drive.data[373] = 0xFF;  // extended: in the word at 375
    drive.data[375] = 0x2C;
    drive.data[376] = 0x01;  // 300 minutes
    EXPECT_EQ(SelfTestConfirmText(drive.record, 0, false),
              "Start a short self-test on drive 0 (ST3500418AS)?\n\nThe test runs inside the drive; data is never "
              "touched. It takes about 2 minutes (as the drive says), and the drive may be slower meanwhile. Its "
              "result goes into the drive's self-test log and its health.");
    EXPECT_NE(SelfTestConfirmText(drive.record, 3, true).find("extended self-test on drive 3 (ST3500418AS)?"),
              std::string::npos);
    EXPECT_NE(SelfTestConfirmText(drive.record, 3, true).find("about 300 minutes"), std::string::npos);
    drive.data[372] = 0;
    EXPECT_NE(SelfTestConfirmText(drive.record, 0, false).find("The drive does not say how long it takes"),
              std::string::npos);
    Drive nvme;
    nvme.Nvme();
    nvme.nvmeIdentify[316] = 0x5A;  // EDSTT: 90 minutes
    EXPECT_NE(SelfTestConfirmText(nvme.record, 1, false).find("about 2 minutes"), std::string::npos);
    EXPECT_NE(SelfTestConfirmText(nvme.record, 1, true).find("about 90 minutes"), std::string::npos);
    nvme.nvmeIdentify[316] = 0;
    EXPECT_NE(SelfTestConfirmText(nvme.record, 1, true).find("The drive does not say how long it takes"),
              std::string::npos);
    SetProgramLanguage(Language::Japanese);
    drive.data[372] = 2;
    EXPECT_EQ(SelfTestConfirmText(drive.record, 0, false).rfind("ショート自己診断をドライブ 0 (ST3500418AS) で開始しますか?", 0),
              0u);
    EXPECT_NE(SelfTestConfirmText(drive.record, 0, false).find("約 2 分"), std::string::npos);
}

}  // namespace
