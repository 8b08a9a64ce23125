// The shipped HDDATA.CFG against real model strings (drive_models.txt): each model gets
// the attribute its family reports the temperature in, and no entry hides a later one.
#include "drive_database.h"

#include <gtest/gtest.h>

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

}  // namespace
