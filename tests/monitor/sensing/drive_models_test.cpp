// The shipped HDDATA.CFG against real model strings (drive_models.txt): each model gets
// the attribute its family reports the temperature in, and no entry hides a later one;
// and every drive whose attribute table holds 194 or 190 gets a temperature.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "measurement.h"
#include "sensing_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kIdentifyModelLength = 40;
constexpr std::size_t kMinimumModels = 300;

struct RealModel {
    int lineNumber;
    int attribute;
    std::string model;
    std::string family;
};

// "attribute | model | family": the model lies between the first and the last separator
// and keeps every space of its own.
std::vector<RealModel> ReadModels(const std::string& path)
{
    std::vector<RealModel> models;
    std::ifstream file(path);
    std::string line;
    const std::string separator = " | ";
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t first = line.find(separator);
        const std::size_t last = line.rfind(separator);
        if (first == std::string::npos || last == first) {
            ADD_FAILURE() << path << ":" << number << " is not attribute | model | family";
            continue;
        }
        const std::size_t modelStart = first + separator.size();
        models.push_back({number, std::atoi(line.substr(0, first).c_str()),
            line.substr(modelStart, last - modelStart), line.substr(last + separator.size())});
    }
    return models;
}

std::uint8_t LookupModel(const std::string& model)
{
    DriveRecord record;
    std::snprintf(record.model, sizeof(record.model), "%s", model.c_str());
    LookupTemperatureAttribute(0, record);
    return record.temperatureAttributeId;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

class ShippedDatabaseModels : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LoadDriveDatabase(KV_HDDATA_CFG), 1); }
    void TearDown() override { TheDriveDatabase().Clear(); }
};

TEST_F(ShippedDatabaseModels, RealModelsGetTheirFamilysAttribute)
{
    const std::vector<RealModel> models = ReadModels(KV_DRIVE_MODELS);
    EXPECT_GE(models.size(), kMinimumModels);
    for (const RealModel& real : models) {
        SCOPED_TRACE("drive_models.txt:" + std::to_string(real.lineNumber) + " " + real.family);
        // A model longer than the IDENTIFY field, or padded, cannot be what a drive reports.
        EXPECT_LE(real.model.size(), kIdentifyModelLength) << real.model;
        EXPECT_FALSE(real.model.empty() || real.model.front() == ' ' || real.model.back() == ' ') << '"' << real.model << '"';
        EXPECT_EQ(LookupModel(real.model), real.attribute) << '"' << real.model << '"';
    }
}

TEST_F(ShippedDatabaseModels, NoEntryHidesALaterOne)
{
    // Lookup takes the first key that starts the model, ignoring case: a later key that
    // begins with an earlier one could never be reached.
    std::vector<std::string> keys;
    for (const DriveDatabase::Entry* entry = &TheDriveDatabase().First(); entry != nullptr; entry = entry->next.get()) {
        ASSERT_TRUE(entry->used);
        ASSERT_GT(entry->key.Length(), 0u);
        const std::string key = entry->key.String();
        for (const std::string& earlier : keys) {
            EXPECT_FALSE(StartsWithIgnoringCase(key, earlier)) << '"' << earlier << "\" hides \"" << key << '"';
        }
        keys.push_back(key);
    }
    EXPECT_GT(keys.size(), 40u);
}

// Real models the shipped database has no line for (generic SSD names, as budget SSDs
// report them).
const char* const kUnlistedModels[] = {
    "512GB SSD", "M.2 2280 SATA SSD", "SSD 256GB", "Netac SSD 256GB", "FORESEE 256GB SSD", "GOODRAM",
    "KingFast", "Lexar 256GB SSD",
};

// One drive with the given model and attribute table, enumerated and measured once: the
// temperature it shows. Attribute 194 reads 41 degrees, 190 reads 29, 231 reads 77.
struct Shown {
    std::uint8_t temperature;
    TemperatureSource source;
};

Shown MeasureModel(const std::string& model, const std::vector<std::uint8_t>& ids)
{
    DriveSet set;
    set.drives[0].Install(0);
    set.drives[0].SetModel(model.c_str());
    for (const std::uint8_t id : ids) {
        const std::uint8_t raw[6] = {static_cast<std::uint8_t>(id == 194 ? 41 : id == 190 ? 29 : 77), 0, 0, 0, 0, 0};
        set.drives[0].SetAttribute(id, 0x0022, 100, 100, raw);
    }
    set.drives[0].SealSectors();
    SimulatedMachine machine(set);
    EnumerateDrives(machine.drives);
    Settings settings;
    settings.UseLog = 0;
    MeasureAll(machine.drives, settings);
    return {machine.drives.table[0].currentTemperature, machine.drives.table[0].temperatureSource};
}

TEST_F(ShippedDatabaseModels, EveryDriveWith194Or190ShowsATemperature)
{
    WorkingDirectory directory;  // worst values go to KELVIX.INI here
    std::vector<RealModel> models = ReadModels(KV_DRIVE_MODELS);
    for (const char* unlisted : kUnlistedModels) {
        std::uint8_t id = 0;
        ASSERT_FALSE(TheDriveDatabase().Find(unlisted, id)) << unlisted << " has a database line";
        models.push_back({0, 0, unlisted, "not in the database"});
    }
    // Tables a drive may have; 231 stands for an attribute that is no temperature.
    const std::vector<std::vector<std::uint8_t>> tables = {{194}, {190}, {190, 194}, {231}, {231, 194}, {}};
    for (const RealModel& real : models) {
        for (const auto& table : tables) {
            const auto holds = [&table](int id) { return std::find(table.begin(), table.end(), id) != table.end(); };
            std::uint8_t expected = 0;
            TemperatureSource source = real.attribute != 0 ? TemperatureSource::Database : TemperatureSource::None;
            if (real.attribute != 0 && holds(real.attribute)) {
                expected = real.attribute == 194 ? 41 : 29;
            } else if (holds(194)) {
                expected = 41;
                source = TemperatureSource::Fallback;
            } else if (holds(190)) {
                expected = 29;
                source = TemperatureSource::Fallback;
            }
            const Shown shown = MeasureModel(real.model, table);
            ASSERT_EQ(shown.temperature, expected) << '"' << real.model << "\" with " << table.size() << " attributes, first "
                                                   << (table.empty() ? 0 : int(table[0]));
            ASSERT_EQ(shown.source, source) << real.model;
        }
    }
}

}  // namespace
