// Drive database: the file rules, the lookup, and the shipped HDDATA.CFG itself.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "sensing_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

struct Probe {
    const char* model;
    std::uint8_t id;
};

struct DatabaseCase {
    const char* name;
    std::string file;
    unsigned entries;
    std::vector<Probe> probes;
};

std::uint8_t LookupModel(const char* model)
{
    DriveRecord record;
    std::snprintf(record.model, sizeof(record.model), "%s", model);
    record.temperatureAttributeId = 77;  // must be replaced, by 0 when nothing matches
    LookupTemperatureAttribute(0, record);
    return record.temperatureAttributeId;
}

class DatabaseFile : public ::testing::Test {
protected:
    void TearDown() override { TheDriveDatabase().Clear(); }
    WorkingDirectory directory_;
};

TEST_F(DatabaseFile, ParsingRules)
{
    const std::string longLine = std::string(2046, 'Q') + "ZZ=77\n";
    const DatabaseCase cases[] = {
        {"comments and empty lines only", "# nothing\n\n#MODELA=194\n\n", 0, {{"MODELA", 0}, {"", 0}}},
        {"case-insensitive prefix", "# c\nmodela=194\n", 1, {{"MODELA 123", 194}, {"MODEL", 0}, {"XMODELA", 0}}},
        {"spaces around key and value", "MODELA = 194\nMODELB = 231\n", 2, {{"MODELA1", 194}, {"modelb2", 231}}},
        {"longer later key replaces", "AB=194\nABC=190\n", 1, {{"ABC1", 190}, {"ABD1", 0}, {"AB", 0}}},
        {"shorter later key is added", "ABC=190\nAB=194\n", 2, {{"ABC1", 190}, {"ABD1", 194}}},
        {"value keeps its low 8 bits", "A=450\nB=-62\n", 2, {{"A", 194}, {"B", 194}}},
        {"non-numeric value gives 0", "A=C2\nB=194\n", 2, {{"A1", 0}, {"B1", 194}}},
        {"trailing remark after the number", "KEY=194 degrees, checked\n", 1, {{"KEY", 194}}},
        {"last line without line feed", "A=1\nLAST=231", 2, {{"LAST ONE", 231}}},
        {"separator runs and leading separators", "==194\nA==5\nB=6=7\n", 2, {{"194", 0}, {"A", 5}, {"B", 6}}},
        {"key or value missing", "NOVALUE=\n=\nNOSEP\n", 0, {{"NOVALUE", 0}, {"NOSEP", 0}}},
        {"hash inside a line is text", "A#B=12\n #C=13\n", 2, {{"A#B", 12}, {"#C", 13}}},
        {"carriage returns are white space", "CR=194\r\nLF=190\r\n", 2, {{"CR", 194}, {"LF", 190}}},
        {"blank key matches nothing", "   =194\nST=9\n", 2, {{"ST380011A", 9}, {"XYZ", 0}, {"", 0}}},
        {"blank key does not shadow", "\t=194\nA=5\n", 2, {{"A", 5}, {"B", 0}}},
        {"blank value gives 0", "ST= \nS=9\n", 2, {{"ST3", 0}, {"SX", 9}}},
        {"model shorter than key", "ST380011A=194\n", 1, {{"ST38", 0}, {"ST380011A", 194}}},
        {"tail of an over-long line is no entry", longLine + "OK=5\n", 1, {{"ZZ", 0}, {"Z", 0}, {"OK", 5}}},
    };
    for (const DatabaseCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWholeFile("db.cfg", c.file);
        ASSERT_EQ(LoadDriveDatabase("db.cfg"), 1);
        EXPECT_EQ(TheDriveDatabase().UsedEntries(), c.entries);
        for (const Probe& probe : c.probes) {
            EXPECT_EQ(LookupModel(probe.model), probe.id) << probe.model;
        }
    }
}

TEST_F(DatabaseFile, ReplacedEntryTakesKeyAndValue)
{
    WriteWholeFile("db.cfg", "AB=194\nABC =190\n");
    ASSERT_EQ(LoadDriveDatabase("db.cfg"), 1);
    const DriveDatabase::Entry& first = TheDriveDatabase().First();
    EXPECT_TRUE(first.used);
    EXPECT_STREQ(first.key.String(), "ABC");
    EXPECT_STREQ(first.value.String(), "190");
    EXPECT_EQ(first.next, nullptr);
}

TEST_F(DatabaseFile, MissingFileFails)
{
    EXPECT_EQ(LoadDriveDatabase("no-such-file.cfg"), 0);
    EXPECT_EQ(TheDriveDatabase().UsedEntries(), 0u);
}

TEST_F(DatabaseFile, EmptyDatabaseMatchesNothing)
{
    WriteWholeFile("db.cfg", "");
    ASSERT_EQ(LoadDriveDatabase("db.cfg"), 1);
    EXPECT_EQ(LookupModel("ANY"), 0);
    EXPECT_EQ(LookupModel(""), 0);
}

TEST_F(DatabaseFile, LoadingAgainReplacesTheEntries)
{
    WriteWholeFile("a.cfg", "A=1\n");
    WriteWholeFile("b.cfg", "B=2\n");
    ASSERT_EQ(LoadDriveDatabase("a.cfg"), 1);
    ASSERT_EQ(LoadDriveDatabase("b.cfg"), 1);
    EXPECT_EQ(LookupModel("A"), 0);
    EXPECT_EQ(LookupModel("B"), 2);
}

// The shipped database: every entry reachable, and the families that real users have.
int CountEntryLines(const std::string& path)
{
    std::ifstream file(path);
    std::string line;
    int count = 0;
    while (std::getline(file, line)) {
        if (!line.empty() && line[0] != '#' && line.find('=') != std::string::npos) {
            ++count;
        }
    }
    return count;
}

TEST(ShippedDatabase, EveryEntryIsReachable)
{
    ASSERT_EQ(LoadDriveDatabase(KV_HDDATA_CFG), 1);
    const int lines = CountEntryLines(KV_HDDATA_CFG);
    EXPECT_GT(lines, 40);
    // An entry replaced by a later one (longer key below a shorter one) would be lost.
    EXPECT_EQ(static_cast<int>(TheDriveDatabase().UsedEntries()), lines);
    TheDriveDatabase().Clear();
}

TEST(ShippedDatabase, KnownFamilies)
{
    ASSERT_EQ(LoadDriveDatabase(KV_HDDATA_CFG), 1);
    const Probe probes[] = {
        {"ST380011A", 194},
        {"ST3500418AS", 194},
        {"ST1000DM003-1CH162", 194},
        {"ST4000VN008-2DR166", 194},
        {"ST9500325AS", 194},
        {"WDC WD800JB-00JJC0", 194},
        {"WDC WD10EZEX-08WN4A0", 194},
        {"WDC WDS500G2B0A-00SM50", 194},
        {"WD Blue SA510 2.5 1000GB", 194},
        {"Hitachi HDS721010CLA332", 194},
        {"Hitachi HTS545050B9A300", 194},
        {"HGST HTS721010A9E630", 194},
        {"HGST HUS724040ALE640", 194},
        {"IBM-DTLA-307030", 194},
        {"IC35L080AVVA07-0", 194},
        {"IC25N040ATCS05-0", 194},
        {"TOSHIBA MK2555GSX", 194},
        {"TOSHIBA DT01ACA100", 194},
        {"TOSHIBA HDWD110", 194},
        {"TOSHIBA THNSNJ256GCSU", 194},
        {"SAMSUNG HD103UJ", 194},
        {"SAMSUNG SP1614N", 194},
        {"SAMSUNG HM500JI", 194},
        {"SAMSUNG HN-M101MBB", 194},
        {"Samsung SSD 850 EVO 500GB", 190},
        {"Samsung SSD 860 PRO 256GB", 190},
        {"SAMSUNG SSD 830 Series", 190},
        {"SAMSUNG MZ7TE256HMHP-000L7", 190},
        {"Maxtor 6Y080L0", 194},
        {"MAXTOR STM3500320AS", 194},
        {"FUJITSU MHV2080AH", 194},
        {"FUJITSU MHW2120BH", 194},
        {"FUJITSU MPG3409AT  E", 194},
        {"QUANTUM FIREBALLlct20 20", 194},
        {"Crucial_CT256MX100SSD1", 194},
        {"CT500MX500SSD1", 194},
        {"CT240BX500SSD1", 194},
        {"C300-CTFDDAC128MAG", 194},
        {"M4-CT256M4SSD2", 194},
        {"Micron_1100_MTFDDAK256TBN", 194},
        {"INTEL SSDSC2BW240A4", 190},
        {"INTEL SSDSC2BF180A4H", 190},
        {"INTEL SSDSA2CW160G3", 194},
        {"INTEL SSDSC2BB480G4", 194},
        {"KINGSTON SA400S37240G", 194},
        {"KINGSTON SV300S37A120G", 194},
        {"SanDisk SDSSDA240G", 194},
        {"SanDisk SSD PLUS 480GB", 194},
        {"OCZ-VERTEX3", 194},
        {"ADATA SU800", 194},
        {"UNKNOWN MAKER X1", 0},
    };
    for (const Probe& probe : probes) {
        EXPECT_EQ(LookupModel(probe.model), probe.id) << probe.model;
    }
    TheDriveDatabase().Clear();
}

}  // namespace

namespace {

// A line decides first; a line with id 0 (or a word, which reads as 0) keeps a drive
// without temperature; otherwise 194, then 190, when the drive's table holds them.
TEST_F(DatabaseFile, LineThenUsualAttributes)
{
    WriteWholeFile("HDDATA.CFG", "KVX NONE = 0\nKVX WORD = none\nKVX 231 = 231\nKVX 190 = 190\n");
    ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
    const struct {
        const char* model;
        const char* attributes;  // drive-set attribute lines
        std::uint8_t id;
        TemperatureSource source;
    } cases[] = {
        {"KVX NONE 1", "attribute 194 0x0022 100 100 28 00 00 00 00 00\n", 0, TemperatureSource::DatabaseNone},
        {"KVX WORD 1", "attribute 194 0x0022 100 100 28 00 00 00 00 00\n", 0, TemperatureSource::DatabaseNone},
        {"KVX 231 A", "attribute 231 0x0022 100 100 28 00 00 00 00 00\nattribute 194 0x0022 100 100 28 00 00 00 00 00\n", 231,
         TemperatureSource::Database},
        {"KVX 231 B", "attribute 190 0x0022 100 100 28 00 00 00 00 00\n", 190, TemperatureSource::Fallback},
        {"KVX 190 A", "attribute 194 0x0022 100 100 28 00 00 00 00 00\n", 194, TemperatureSource::Fallback},
        {"KVX 231 C", "attribute 9 0x0022 100 100 28 00 00 00 00 00\n", 231, TemperatureSource::Database},
        {"OTHER", "attribute 190 0x0022 100 100 28 00 00 00 00 00\nattribute 194 0x0022 100 100 28 00 00 00 00 00\n", 194,
         TemperatureSource::Fallback},
        {"OTHER", "attribute 9 0x0022 100 100 28 00 00 00 00 00\n", 0, TemperatureSource::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " / " + c.attributes);
        SimulatedMachine machine("drive 0\nmodel " + std::string(c.model) + "\n" + c.attributes);
        EnumerateDrives(machine.drives);
        ASSERT_EQ(machine.drives.table[0].present, 1u);
        EXPECT_EQ(machine.drives.table[0].temperatureAttributeId, c.id);
        EXPECT_EQ(machine.drives.table[0].temperatureSource, c.source);
    }
}

}  // namespace
