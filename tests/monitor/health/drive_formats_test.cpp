// The shipped HDDATA.CFG's count formats: each model whose vendor keeps something other
// than a plain count in a health id reads that id as its line says, and every line of
// the file that says so is in this table.
#include "drive_database.h"
#include "health_rules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

namespace {

// Bytes read of 5, 187, 188, 197, 198, 199 (as kCountIds), "-" for the default layout.
struct FormatCase {
    const char* key;    // the line's key
    const char* model;  // a real model of the family
    const char* bytes;  // six digits
};

const FormatCase kCases[] = {
    {"FUJITSU MHV2", "FUJITSU MHV2080BH", "242004"},
    {"FUJITSU MHW2", "FUJITSU MHW2120BH", "242004"},
    {"FUJITSU MHY2", "FUJITSU MHY2160BH", "242004"},
    {"FUJITSU MHZ2", "FUJITSU MHZ2250BH G2", "242004"},
    {"FUJITSU MJA2", "FUJITSU MJA2500BH G2", "242004"},
    {"CRUCIAL_CT64M225", "CRUCIAL_CT64M225", "442000"},
    {"CRUCIAL_CT128M225", "CRUCIAL_CT128M225", "442000"},
    {"CRUCIAL_CT256M225", "CRUCIAL_CT256M225", "442000"},
    {"CT250MX500", "CT250MX500SSD1", "442044"},
    {"CT500MX500", "CT500MX500SSD4", "442044"},
    {"CT1000MX500", "CT1000MX500SSD1", "442044"},
    {"CT2000MX500", "CT2000MX500SSD1", "442044"},
    {"CT4000MX500", "CT4000MX500SSD1", "442044"},
    {"KINGSTON SE100S3", "KINGSTON SE100S3100G", "442404"},
    {"KINGSTON SA400", "KINGSTON SA400S37240G", "442044"},
    {"KINGSTON  SA400", "KINGSTON  SA400S37480G", "442044"},
    {"KINGSTON SUV300", "KINGSTON SUV300S37A120G", "442044"},
    {"OCZ-VERTEX450", "OCZ-VERTEX450", "442400"},
    {"OCZ-VERTEX460", "OCZ-VERTEX460A", "442400"},
    {"OCZ-VECTOR", "OCZ-VECTOR150", "442400"},
    {"OCZ-ARC100", "OCZ-ARC100", "442400"},
    {"OCZ-SABER1000", "OCZ-SABER1000", "442400"},
    {"OCZ INTREPID 3", "OCZ INTREPID 3800", "442400"},
    {"OCZ-VERTEX", "OCZ-VERTEX 1199", "442000"},
    {"OCZ VERTEX-TURBO", "OCZ VERTEX-TURBO", "442000"},
    {"OCZ-AGILITY", "OCZ-AGILITY", "442000"},
    {"OCZ-ONYX", "OCZ-ONYX", "442000"},
    {"Corsair CSSD-V", "Corsair CSSD-V60GB2", "442000"},
    {"Corsair CMFSSD-", "Corsair CMFSSD-128D1", "442000"},
    {"Patriot Torqx", "Patriot Torqx", "442000"},
    {"Patriot-Torqx", "Patriot-Torqx", "442000"},
    // Neighbours of the lines above keep the plain counts.
    {nullptr, "OCZ-VERTEX2", "442444"},
    {nullptr, "OCZ-VERTEX3", "442444"},
    {nullptr, "OCZ-VERTEX4", "442444"},
    {nullptr, "OCZ-AGILITY3", "442444"},
    {nullptr, "KINGSTON SV300S37A120G", "442444"},
    {nullptr, "CT500MX200SSD1", "442444"},
    {nullptr, "FUJITSU MHT2060AH", "442444"},
};

std::string LayoutOf(const char* model)
{
    CountLayout layout;
    const DriveDatabase::Entry* entry = TheDriveDatabase().FindEntry(model);
    if (entry != nullptr) {
        ApplyCountOverrides(entry->afterKey.String(), layout);
    }
    std::string digits;
    for (unsigned slot = 0; slot < kNvmeMediaSlot; ++slot) {
        digits += static_cast<char>('0' + layout.bytes[slot]);
    }
    return digits;
}

TEST(DriveFormats, EachVendorLineReadsItsModelsCountsAsItSays)
{
    ASSERT_EQ(LoadDriveDatabase(KV_DRIVE_DATABASE), 1);
    for (const FormatCase& c : kCases) {
        EXPECT_EQ(LayoutOf(c.model), c.bytes) << c.model;
        if (c.key != nullptr) {
            const DriveDatabase::Entry* entry = TheDriveDatabase().FindEntry(c.model);
            ASSERT_NE(entry, nullptr) << c.model;
            EXPECT_STREQ(entry->key.String(), c.key) << c.model;
            EXPECT_EQ(TheDriveDatabase().Lookup(c.model), 194) << c.model;
        }
    }
}

TEST(DriveFormats, EveryCountsLineOfTheFileIsInTheTable)
{
    std::set<std::string> tested;
    for (const FormatCase& c : kCases) {
        if (c.key != nullptr) {
            tested.insert(c.key);
        }
    }
    std::ifstream file(KV_DRIVE_DATABASE);
    std::string line;
    unsigned lines = 0;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#' || line.find("counts=") == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, line.find('='));
        key.erase(key.find_last_not_of(" \t") + 1);
        EXPECT_EQ(tested.count(key), 1u) << key;
        ++lines;
    }
    EXPECT_EQ(lines, tested.size());
}

}  // namespace
