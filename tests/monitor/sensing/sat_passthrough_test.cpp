// The ATA PASS-THROUGH command blocks and the decoding of a bridge's sense data. The
// expected blocks are the byte strings of the SAT documents' examples (as sg_raw users
// type them), not built by the code under test.
#include "sat_passthrough.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cdb(SatForm form, const SatRequest& request)
{
    std::uint8_t cdb[kSatCdbMax];
    std::memset(cdb, 0xEE, sizeof cdb);
    const std::size_t length = BuildSatCdb(form, request, cdb);
    return Bytes(cdb, cdb + length);
}

SatRequest Request(std::uint8_t command, std::uint8_t features, std::uint8_t count, std::uint8_t mid,
                   std::uint8_t high, SatTransfer transfer, bool registers, std::uint8_t device = 0xA0)
{
    SatRequest request;
    request.task.command = command;
    request.task.features = features;
    request.task.sectorCount = count;
    request.task.lbaLow = 1;
    request.task.lbaMid = mid;
    request.task.lbaHigh = high;
    request.task.device = device;
    request.transfer = transfer;
    request.returnRegisters = registers;
    return request;
}

TEST(SatPassThrough, CommandBlocks)
{
    const SatRequest identify = Request(0xEC, 0, 1, 0, 0, SatTransfer::SectorsIn, false);
    const SatRequest readData = Request(0xB0, 0xD0, 1, 0x4F, 0xC2, SatTransfer::SectorsIn, false);
    const SatRequest readDataChecked = Request(0xB0, 0xD0, 1, 0x4F, 0xC2, SatTransfer::SectorsIn, true);
    const SatRequest enable = Request(0xB0, 0xD8, 0, 0x4F, 0xC2, SatTransfer::None, false);
    const SatRequest powerMode = Request(0xE5, 0, 0, 0, 0, SatTransfer::None, true, 0);
    SatRequest readLogExt = Request(0x2F, 0, 1, 0x02, 0, SatTransfer::SectorsIn, false);
    readLogExt.task.lbaLow = 0x07;  // log 07h, page 0102h: LBA 15:8 and 39:32
    readLogExt.task.extend = true;
    readLogExt.task.lbaMidHigh = 0x01;
    const struct {
        const char* name;
        SatForm form;
        SatRequest request;
        Bytes cdb;
    } cases[] = {
        {"identify 16", SatForm::Sixteen, identify,
         {0x85, 0x08, 0x0E, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xA0, 0xEC, 0x00}},
        {"identify 12", SatForm::Twelve, identify, {0xA1, 0x08, 0x0E, 0x00, 0x01, 0x01, 0x00, 0x00, 0xA0, 0xEC, 0x00, 0x00}},
        {"read data 16", SatForm::Sixteen, readData,
         {0x85, 0x08, 0x0E, 0x00, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}},
        {"read data 12", SatForm::Twelve, readData, {0xA1, 0x08, 0x0E, 0xD0, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00}},
        {"read data 16 with registers", SatForm::Sixteen, readDataChecked,
         {0x85, 0x08, 0x2E, 0x00, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}},
        {"enable 16", SatForm::Sixteen, enable,
         {0x85, 0x06, 0x00, 0x00, 0xD8, 0x00, 0x00, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}},
        {"enable 12", SatForm::Twelve, enable, {0xA1, 0x06, 0x00, 0xD8, 0x00, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00}},
        {"power mode 16", SatForm::Sixteen, powerMode,
         {0x85, 0x06, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE5, 0x00}},
        {"power mode 12", SatForm::Twelve, powerMode, {0xA1, 0x06, 0x20, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xE5, 0x00, 0x00}},
        {"read log ext 16 (EXTEND)", SatForm::Sixteen, readLogExt,
         {0x85, 0x09, 0x0E, 0x00, 0x00, 0x00, 0x01, 0x00, 0x07, 0x01, 0x02, 0x00, 0x00, 0xA0, 0x2F, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cdb(c.form, c.request), c.cdb) << c.name;
    }
}

// Descriptor-format sense data: header (8 bytes) then descriptors.
Bytes DescriptorSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, const std::vector<Bytes>& descriptors)
{
    Bytes sense = {0x72, key, asc, ascq, 0, 0, 0, 0};
    for (const Bytes& d : descriptors) {
        sense.insert(sense.end(), d.begin(), d.end());
    }
    sense[7] = static_cast<std::uint8_t>(sense.size() - 8);
    return sense;
}

// An ATA Status Return descriptor: error 04, count 12/34, LBA 56/4F/C2 (high bytes 01 02 03),
// device A0, status given.
Bytes StatusDescriptor(std::uint8_t status, bool extend = false)
{
    return {0x09, 0x0C, static_cast<std::uint8_t>(extend ? 1 : 0), 0x04, 0x12, 0x34, 0x01, 0x56, 0x02, 0x4F, 0x03, 0xC2, 0xA0, status};
}

// Fixed-format sense data (18 bytes) with the registers where bridges put them.
Bytes FixedSense(std::uint8_t code, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, std::uint8_t status)
{
    return {code, 0x00, key, 0x04, status, 0xA0, 0x34, 0x0A, 0x80, 0x56, 0x4F, 0xC2, asc, ascq, 0x00, 0x00, 0x00, 0x00};
}

TEST(SatPassThrough, SenseData)
{
    const Bytes otherDescriptor = {0x00, 0x0A, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x10};  // information
    const struct {
        const char* name;
        Bytes sense;
        SatSenseKind kind;
        std::uint8_t key;
        std::uint8_t asc;
        std::uint8_t ascq;
        std::uint8_t status;  // when kind is AtaStatus
        bool succeeded;
    } cases[] = {
        {"descriptor, registers asked for", DescriptorSense(0x01, 0x00, 0x1D, {StatusDescriptor(0x50)}),
         SatSenseKind::AtaStatus, 0x01, 0x00, 0x1D, 0x50, true},
        {"descriptor 73h, drive error", Bytes{0x73, 0x0B, 0x00, 0x00, 0, 0, 0, 14, 0x09, 0x0C, 0x00, 0x04, 0x12, 0x34, 0x01, 0x56, 0x02, 0x4F, 0x03, 0xC2, 0xA0, 0x51},
         SatSenseKind::AtaStatus, 0x0B, 0x00, 0x00, 0x51, false},
        {"descriptor after another", DescriptorSense(0x01, 0x00, 0x1D, {otherDescriptor, StatusDescriptor(0x50)}),
         SatSenseKind::AtaStatus, 0x01, 0x00, 0x1D, 0x50, true},
        {"descriptor, bridge dropped the registers", DescriptorSense(0x01, 0x00, 0x1D, {}),
         SatSenseKind::NoAtaStatus, 0x01, 0x00, 0x1D, 0, false},
        {"descriptor, only another descriptor", DescriptorSense(0x01, 0x00, 0x1D, {otherDescriptor}),
         SatSenseKind::NoAtaStatus, 0x01, 0x00, 0x1D, 0, false},
        {"descriptor, status descriptor cut short", [] {
             Bytes s = DescriptorSense(0x01, 0x00, 0x1D, {StatusDescriptor(0x50)});
             s.resize(s.size() - 1);
             return s;
         }(),
         SatSenseKind::NoAtaStatus, 0x01, 0x00, 0x1D, 0, false},
        {"descriptor, length claims less than the descriptor", [] {
             Bytes s = DescriptorSense(0x01, 0x00, 0x1D, {StatusDescriptor(0x50)});
             s[7] = 10;
             return s;
         }(),
         SatSenseKind::NoAtaStatus, 0x01, 0x00, 0x1D, 0, false},
        {"descriptor, header only", Bytes{0x72, 0x05, 0x20, 0x00}, SatSenseKind::NoAtaStatus, 0x05, 0x20, 0x00, 0, false},
        {"fixed, registers said", FixedSense(0x70, 0x01, 0x00, 0x1D, 0x50), SatSenseKind::AtaStatus, 0x01, 0x00, 0x1D, 0x50, true},
        {"fixed with valid bit, aborted, registers said", FixedSense(0xF0, 0x0B, 0x00, 0x1D, 0x51), SatSenseKind::AtaStatus, 0x0B, 0x00, 0x1D, 0x51, false},
        // Aborts that carry no registers: read as zeros they would pass for a success.
        {"fixed, aborted without the registers' code", FixedSense(0x70, 0x0B, 0x00, 0x00, 0x51), SatSenseKind::NoAtaStatus, 0x0B, 0x00, 0x00, 0, false},
        {"fixed, aborted, other additional sense", FixedSense(0x70, 0x0B, 0x44, 0x00, 0x00), SatSenseKind::NoAtaStatus, 0x0B, 0x44, 0x00, 0, false},
        {"fixed, aborted, registers said but zero status", FixedSense(0x70, 0x0B, 0x00, 0x1D, 0x00), SatSenseKind::NoAtaStatus, 0x0B, 0x00, 0x1D, 0, false},
        {"fixed 71h, registers said", FixedSense(0x71, 0x01, 0x00, 0x1D, 0x40), SatSenseKind::AtaStatus, 0x01, 0x00, 0x1D, 0x40, true},
        {"fixed, unit attention carries no registers", FixedSense(0x70, 0x06, 0x29, 0x00, 0x50),
         SatSenseKind::NoAtaStatus, 0x06, 0x29, 0x00, 0, false},
        {"fixed, opcode unknown", FixedSense(0x70, 0x05, 0x20, 0x00, 0x00), SatSenseKind::NoAtaStatus, 0x05, 0x20, 0x00, 0, false},
        {"fixed, too short for the registers", Bytes{0x70, 0x00, 0x0B, 0x04, 0x51, 0xA0}, SatSenseKind::NoAtaStatus, 0x0B, 0, 0, 0, false},
        {"nothing", Bytes{}, SatSenseKind::Unusable, 0, 0, 0, 0, false},
        {"one byte", Bytes{0x72}, SatSenseKind::Unusable, 0, 0, 0, 0, false},
        {"vendor format", Bytes{0x7F, 0x01, 0x00, 0x1D, 0, 0, 0, 0}, SatSenseKind::Unusable, 0, 0, 0, 0, false},
        {"all zero", Bytes(32, 0), SatSenseKind::Unusable, 0, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SatSense sense = DecodeSatSense(c.sense.data(), c.sense.size());
        EXPECT_EQ(sense.kind, c.kind);
        if (c.kind == SatSenseKind::Unusable) {
            continue;
        }
        EXPECT_EQ(sense.senseKey, c.key);
        EXPECT_EQ(sense.asc, c.asc);
        EXPECT_EQ(sense.ascq, c.ascq);
        if (c.kind == SatSenseKind::AtaStatus) {
            EXPECT_EQ(sense.registers.status, c.status);
            EXPECT_EQ(sense.registers.error, 0x04);
            EXPECT_EQ(sense.registers.device, 0xA0);
            EXPECT_EQ(sense.registers.sectorCount, 0x34);
            EXPECT_EQ(sense.registers.lbaLow, 0x56);
            EXPECT_EQ(sense.registers.lbaMid, 0x4F);
            EXPECT_EQ(sense.registers.lbaHigh, 0xC2);
            EXPECT_EQ(AtaCommandSucceeded(sense.registers), c.succeeded);
        }
    }
}

TEST(SatPassThrough, DescriptorKeepsHighBytes)
{
    const Bytes data = DescriptorSense(0x01, 0x00, 0x1D, {StatusDescriptor(0x50, true)});
    const SatSense sense = DecodeSatSense(data.data(), data.size());
    ASSERT_EQ(sense.kind, SatSenseKind::AtaStatus);
    EXPECT_TRUE(sense.descriptorFormat);
    EXPECT_TRUE(sense.registers.extend);
    EXPECT_EQ(sense.registers.sectorCountHigh, 0x12);
    EXPECT_EQ(sense.registers.lbaLowHigh, 0x01);
    EXPECT_EQ(sense.registers.lbaMidHigh, 0x02);
    EXPECT_EQ(sense.registers.lbaHighHigh, 0x03);
}

TEST(SatPassThrough, RejectedBlocks)
{
    const struct {
        const char* name;
        Bytes sense;
        bool rejected;
    } cases[] = {
        {"invalid operation code", FixedSense(0x70, 0x05, 0x20, 0x00, 0), true},
        {"invalid field in CDB", DescriptorSense(0x05, 0x24, 0x00, {}), true},
        {"illegal request, other reason", FixedSense(0x70, 0x05, 0x21, 0x00, 0), false},
        {"drive aborted the command", DescriptorSense(0x0B, 0x00, 0x00, {StatusDescriptor(0x51)}), false},
        {"registers returned", DescriptorSense(0x01, 0x00, 0x1D, {StatusDescriptor(0x50)}), false},
        {"unusable", Bytes{0x05, 0x05, 0x20}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SatCommandRejected(DecodeSatSense(c.sense.data(), c.sense.size())), c.rejected) << c.name;
    }
}

TEST(SatPassThrough, StatusBitsThatMeanFailure)
{
    const struct {
        std::uint8_t status;
        bool succeeded;
    } cases[] = {{0x50, true}, {0x40, true}, {0x00, true}, {0x51, false}, {0x41, false}, {0x60, false}, {0xD0, false}};
    for (const auto& c : cases) {
        AtaRegisters registers;
        registers.status = c.status;
        EXPECT_EQ(AtaCommandSucceeded(registers), c.succeeded) << int(c.status);
    }
}

}  // namespace
