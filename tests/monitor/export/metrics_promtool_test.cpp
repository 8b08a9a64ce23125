// The metrics page through the real promtool: texts with every character the label
// escaping must handle, NVMe health and drives without temperatures all pass its lint.
#include "metrics_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// promtool's verdict on the page, and what it printed.
int CheckWithPromtool(const std::string& page, std::string& output)
{
    // In the test's temporary folder, never in the working directory of whoever runs it.
    const std::string file = ::testing::TempDir() + "metrics_promtool_page.txt";
    std::ofstream(file, std::ios::binary) << page;
    FILE* pipe = popen(("promtool check metrics < '" + file + "' 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pclose(pipe);
    std::remove(file.c_str());
    return status;
}

TEST(MetricsPromtool, HardTextsPassTheLint)
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    snapshot.warningTemperature = 45;
    const char* models[] = {"Quote\"Back\\slash", "Line\nFeed", "\xff\xfe high bytes", "", "Plain 1TB"};
    for (unsigned i = 0; i < 5; ++i) {
        DriveSnapshotEntry& drive = snapshot.drives[snapshot.count++];
        drive.driveNumber = i * 3;
        std::strcpy(drive.model, models[i]);
        std::strcpy(drive.serial, i % 2 == 0 ? "S\\N\"1" : "");
        drive.condition = i == 3 ? DriveCondition::ReadFailed : DriveCondition::Temperature;
        drive.temperature = i == 1 ? 0 : static_cast<std::uint8_t>(30 + i);
        drive.worstTemperature = static_cast<std::uint8_t>(40 + i);
        drive.kind = i == 4 ? DriveKind::Nvme : DriveKind::Ata;
        drive.hasHealth = i == 4;
        drive.percentageUsed = 255;
        std::strcpy(drive.mediaErrors, "18446744073709551616");
    }
    std::string output;
    EXPECT_EQ(CheckWithPromtool(BuildMetricsText(snapshot, "1.0.0"), output), 0) << output;
    output.clear();
    EXPECT_EQ(CheckWithPromtool(BuildMetricsText(DriveSnapshot{}, "1.0.0"), output), 0) << output;
    // The check can fail: a page with a broken escape is refused.
    output.clear();
    EXPECT_NE(CheckWithPromtool("# TYPE x gauge\nx{a=\"\\\"} 1\n", output), 0) << output;
}

}  // namespace
