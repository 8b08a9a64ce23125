// The attribute list's rows: used entries only, in table order, the threshold at the
// same position, raw bytes most significant first, flag names.
#include "viewer_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Exactly the 30 entries of a table, so a read past them is caught by the sanitizers.
class Tables {
public:
    Tables() : attributes_(kSmartEntryCount * kSmartEntrySize), thresholds_(kSmartEntryCount * kSmartEntrySize) {}

    void Attribute(unsigned position, std::uint8_t id, std::uint16_t flags, std::uint8_t value, std::uint8_t worst,
        std::vector<std::uint8_t> raw)
    {
        std::uint8_t* entry = &attributes_[position * kSmartEntrySize];
        entry[0] = id;
        entry[1] = static_cast<std::uint8_t>(flags);
        entry[2] = static_cast<std::uint8_t>(flags >> 8);
        entry[3] = value;
        entry[4] = worst;
        std::memcpy(entry + kSmartRawOffset, raw.data(), kSmartRawSize);
        entry[11] = 0xEE;  // reserved, never shown
    }
    void Threshold(unsigned position, std::uint8_t id, std::uint8_t value)
    {
        thresholds_[position * kSmartEntrySize] = id;
        thresholds_[position * kSmartEntrySize + 1] = value;
    }
    // The record the viewer reads: a drive with these tables.
    DriveRecord& Record()
    {
        record_.attributeResult = attributes_.data();
        record_.thresholdResult = thresholds_.data();
        return record_;
    }

private:
    std::vector<std::uint8_t> attributes_;
    std::vector<std::uint8_t> thresholds_;
    DriveRecord record_;
};

using Cells = std::vector<std::string>;

Cells RowCells(const AttributeRow& row)
{
    return Cells(std::begin(row.cells), std::end(row.cells));
}

TEST(AttributeRows, UsedEntriesInTableOrderWithTheThresholdAtTheSamePosition)
{
    Tables tables;
    tables.Attribute(0, 1, 0x000F, 117, 99, {0xA1, 0xB2, 0x03, 0, 0, 0});
    // position 1 unused
    tables.Attribute(2, 194, 0x0033, 45, 55, {0x2D, 0x00, 0x1E, 0x00, 0x37, 0x00});
    tables.Attribute(3, 100, 0x0000, 253, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    tables.Attribute(29, 231, 0xFFC0, 7, 8, {1, 2, 3, 4, 5, 6});
    // The threshold table in another order: only the position counts.
    tables.Threshold(0, 9, 6);
    tables.Threshold(2, 1, 40);
    tables.Threshold(3, 194, 0);
    tables.Threshold(29, 5, 255);

    const AttributeRows rows = BuildAttributeRows(tables.Record());
    ASSERT_EQ(rows.count, 4u);
    const struct {
        unsigned position;
        Cells cells;
    } expected[] = {
        {0, {"  1", "Raw read error rate", "117", " 99", "  6", "00 00 00 03 B2 A1", "CR OC PR ER "}},
        {2, {"194", "Temperature", " 45", " 55", " 40", "00 37 00 1E 00 2D", "CR OC EC SP "}},
        {3, {"100", "Unknown", "253", "  0", "  0", "FF FF FF FF FF FF", ""}},
        {29, {"231", "Temperature", "  7", "  8", "255", "06 05 04 03 02 01", ""}},
    };
    for (unsigned i = 0; i < rows.count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows.rows[i].position, expected[i].position);
        EXPECT_EQ(RowCells(rows.rows[i]), expected[i].cells);
    }
}

TEST(AttributeRows, NoAttributeResultNoRows)
{
    Tables tables;
    tables.Attribute(0, 194, 0x22, 100, 100, {40, 0, 0, 0, 0, 0});
    DriveRecord& record = tables.Record();
    record.attributeResult = nullptr;
    EXPECT_EQ(BuildAttributeRows(record).count, 0u);
}

TEST(AttributeRows, EmptyTableNoRows)
{
    Tables tables;
    EXPECT_EQ(BuildAttributeRows(tables.Record()).count, 0u);
}

TEST(AttributeRows, WithoutThresholdTableTheWarnCellIsEmpty)
{
    Tables tables;
    tables.Attribute(5, 194, 0x22, 100, 100, {40, 0, 0, 0, 0, 0});
    DriveRecord& record = tables.Record();
    record.thresholdResult = nullptr;
    const AttributeRows rows = BuildAttributeRows(record);
    ASSERT_EQ(rows.count, 1u);
    EXPECT_EQ(RowCells(rows.rows[0]),
        (Cells{"194", "Temperature", "100", "100", "", "00 00 00 00 00 28", "OC SP "}));
}

TEST(AttributeRows, ThirtyUsedEntriesThirtyRows)
{
    Tables tables;
    for (unsigned position = 0; position < kSmartEntryCount; ++position) {
        tables.Attribute(position, static_cast<std::uint8_t>(255 - position), 0xFFFF, 255, 255,
            {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        tables.Threshold(position, 0, static_cast<std::uint8_t>(position));
    }
    const AttributeRows rows = BuildAttributeRows(tables.Record());
    ASSERT_EQ(rows.count, kSmartEntryCount);
    for (unsigned i = 0; i < rows.count; ++i) {
        EXPECT_EQ(rows.rows[i].position, i);
        EXPECT_EQ(std::string(rows.rows[i].cells[4]), (i < 10 ? "  " : " ") + std::to_string(i));
    }
    EXPECT_STREQ(rows.rows[0].cells[1], "Unknown");
    EXPECT_STREQ(rows.rows[5].cells[1], "Read error retry rate");  // id 250
    EXPECT_STREQ(rows.rows[0].cells[6], "CR OC PR ER EC SP ");
}

}  // namespace
