#include "driveset_file.h"

#include "nvme_pages.h"
#include "self_test_log.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::size_t kModelLength = 40;
constexpr std::size_t kFirmwareLength = 8;
constexpr std::size_t kSerialLength = 20;
constexpr std::uint64_t kMaxSectors = 0xFFFFFFFFFFFFull;  // 48-bit LBA
constexpr std::uint64_t kKelvinOffset = 273;

// Keys that only one kind of drive has.
constexpr std::string_view kAtaOnlyKeys[] = {"sectors", "udma", "mwdma", "swdma", "atapi", "bridge", "attribute",
                                             "temperature-property",
                                             "threshold", "identify-file", "smart-file", "thresholds-file",
                                             "sleep", "power-calls", "return-status",
                                             "self-test", "self-test-checksum", "self-test-running",
                                             "self-test-runs", "self-test-extended"};
constexpr std::string_view kNvmeOnlyKeys[] = {"capacity", "disk-length", "temperature-limits", "health",
                                              "nvme-self-test", "nvme-self-test-runs",
                                              "nvme-identify-file", "health-file", "via"};

template <std::size_t N>
bool Contains(const std::string_view (&keys)[N], std::string_view key)
{
    for (const std::string_view k : keys) {
        if (k == key) {
            return true;
        }
    }
    return false;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

// A number in decimal, or hexadecimal after 0x, no larger than `max`.
bool ParseNumber(std::string_view word, std::uint64_t max, std::uint64_t& value, unsigned base = 10)
{
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    if (word.empty() || word.size() > 20) {
        return false;
    }
    std::uint64_t result = 0;
    for (const char c : word) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        if (digit >= base || digit > max || result > (max - digit) / base) {
            return false;
        }
        result = result * base + digit;
    }
    value = result;
    return true;
}

std::string Quoted(std::string_view word)
{
    std::string text = "'";
    text.append(word.substr(0, 40));
    text += word.size() > 40 ? "...'" : "'";
    return text;
}

class Parser {
public:
    Parser(const std::string& baseDirectory, const PageReader& readPage, DriveSet& set)
        : baseDirectory_(baseDirectory), readPage_(readPage), set_(set)
    {
    }

    bool Run(std::string_view text, std::string& error)
    {
        unsigned lineNumber = 0;
        std::size_t position = 0;
        while (position <= text.size()) {
            ++lineNumber;
            std::size_t end = text.find('\n', position);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            if (!Line(text.substr(position, end - position))) {
                error = "line " + std::to_string(lineNumber) + ": " + message_;
                Finish();
                return false;
            }
            position = end + 1;
        }
        Finish();
        return true;
    }

private:
    bool Fail(std::string message)
    {
        message_ = std::move(message);
        return false;
    }

    bool Line(std::string_view line)
    {
        for (const char c : line) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u < 0x20 && c != '\t' && c != '\r') {
                return Fail("control character in line");
            }
        }
        line = Trim(line);
        if (line.empty() || line.front() == '#') {
            return true;
        }
        const std::size_t split = line.find_first_of(" \t");
        const std::string_view key = line.substr(0, split);
        const std::string_view rest = split == std::string_view::npos ? std::string_view() : Trim(line.substr(split));
        const std::vector<std::string_view> args = Words(rest);

        if (key == "platform") {
            std::uint64_t id = 0;
            if (args.size() != 1 || !ParseNumber(args[0], 0xFFFFFFFF, id)) {
                return Fail("platform needs one number (1 = Windows 9x, 2 = NT)");
            }
            set_.platformId = static_cast<std::uint32_t>(id);
            return true;
        }
        if (key == "drive") {
            return Drive(args);
        }
        if (key == "counts") {
            if (rest.empty()) {
                return Fail("counts needs a file name");
            }
            std::string path(rest);
            if (path.front() != '/' && !baseDirectory_.empty()) {
                path = baseDirectory_ + "/" + path;
            }
            set_.countsFile = path;
            return true;
        }
        if (drive_ == nullptr) {
            return Fail("'" + std::string(key.substr(0, 40)) + "' before the first 'drive' line");
        }
        if (key == "nvme") {
            if (!args.empty()) {
                return Fail("nvme takes no value");
            }
            drive_->MakeNvme(driveNumber_);
            return true;
        }
        if (drive_->nvme) {
            if (Contains(kAtaOnlyKeys, key)) {
                return Fail(Quoted(key) + " is a key of ATA drives, not of an NVMe drive");
            }
            return NvmeLine(key, rest, args);
        }
        if (Contains(kNvmeOnlyKeys, key)) {
            return Fail(Quoted(key) + " is a key of NVMe drives: put 'nvme' first");
        }
        if (key == "model") {
            return Text(rest, kModelLength, "model", &SimulatedDrive::SetModel);
        }
        if (key == "firmware") {
            return Text(rest, kFirmwareLength, "firmware", &SimulatedDrive::SetFirmware);
        }
        if (key == "serial") {
            return Text(rest, kSerialLength, "serial", &SimulatedDrive::SetSerial);
        }
        if (key == "sectors") {
            std::uint64_t sectors = 0;
            if (args.size() != 1 || !ParseNumber(args[0], kMaxSectors, sectors)) {
                return Fail("sectors needs one number below 2^48");
            }
            drive_->SetSectorCount(sectors);
            identifyDirty_ = true;
            return true;
        }
        if (key == "udma") {
            return Dma(args, "udma", &SimulatedDrive::SetUltraDma);
        }
        if (key == "mwdma") {
            return Dma(args, "mwdma", &SimulatedDrive::SetMultiWordDma);
        }
        if (key == "swdma") {
            return Dma(args, "swdma", &SimulatedDrive::SetSingleWordDma);
        }
        if (key == "bridge") {
            const struct {
                std::string_view name;
                SimulatedBridge bridge;
            } bridges[] = {{"sat16", SimulatedBridge::Sat16},
                           {"sat12", SimulatedBridge::Sat12},
                           {"sat16-no-status", SimulatedBridge::Sat16NoStatus},
                           {"sat16-fixed-sense", SimulatedBridge::Sat16FixedSense}};
            for (const auto& b : bridges) {
                if (args.size() == 1 && args[0] == b.name) {
                    if (drive_->propertyOnly) {
                        return Fail("a drive with temperature-property has no bridge");
                    }
                    drive_->bridge = b.bridge;
                    return true;
                }
            }
            return Fail("bridge needs sat16, sat12, sat16-no-status or sat16-fixed-sense");
        }
        if (key == "atapi") {
            if (!args.empty()) {
                return Fail("atapi takes no value");
            }
            drive_->SetAtapi(true);
            identifyDirty_ = true;
            return true;
        }
        if (key == "attribute") {
            return Attribute(args);
        }
        if (key == "threshold") {
            return Threshold(args);
        }
        if (key == "temperature") {
            return Temperature(args);
        }
        if (key == "temperature-property") {
            return TemperatureProperty(args);
        }
        if (key == "raw" || key == "normalised") {
            return AttributeSeries(key == "normalised", args);
        }
        if (key == "fail") {
            return Failure(args);
        }
        if (key == "sleep") {
            return Sleep(args);
        }
        if (key == "return-status") {
            return ReturnStatuses(args);
        }
        if (key == "self-test") {
            return SelfTest(args);
        }
        if (key == "self-test-runs") {
            return SelfTestRuns(args);
        }
        if (key == "self-test-extended") {
            return SelfTestExtended(args);
        }

        if (key == "self-test-running") {
            // SMART READ DATA byte 363: a self-test runs, PERCENT of it left.
            std::uint64_t percent = 0;
            if (args.size() != 1 || !ParseNumber(args[0], 100, percent)) {
                return Fail("self-test-running needs the percent left (0-100)");
            }
            drive_->smartData[kSelfTestStatusOffset] = static_cast<std::uint8_t>(0xF0 | (percent / 10 > 9 ? 9 : percent / 10));
            smartDirty_ = true;
            return true;
        }
        if (key == "self-test-checksum") {
            if (args.size() != 1 || args[0] != "bad") {
                return Fail("self-test-checksum takes 'bad'");
            }
            selfTestChecksumBad_ = true;
            return true;
        }
        if (key == "power-calls") {
            return PowerCalls(args);
        }
        if (key == "identify-file") {
            return SectorFile(rest, drive_->identify, identifyDirty_);
        }
        if (key == "smart-file") {
            return SectorFile(rest, drive_->smartData, smartDirty_);
        }
        if (key == "thresholds-file") {
            return SectorFile(rest, drive_->thresholds, thresholdsDirty_);
        }
        return Fail("unknown key " + Quoted(key));
    }

    // The keys of an NVMe drive.
    bool NvmeLine(std::string_view key, std::string_view rest, const std::vector<std::string_view>& args)
    {
        if (key == "model") {
            return NvmeText(rest, kNvmeModelOffset, kNvmeModelLength, "model");
        }
        if (key == "firmware") {
            return NvmeText(rest, kNvmeFirmwareOffset, kNvmeFirmwareLength, "firmware");
        }
        if (key == "serial") {
            return NvmeText(rest, kNvmeSerialOffset, kNvmeSerialLength, "serial");
        }
        if (key == "capacity") {
            std::uint64_t bytes = 0;
            if (args.size() != 1 || !ParseNumber(args[0], ~std::uint64_t{0}, bytes)) {
                return Fail("capacity needs one number of bytes");
            }
            drive_->SetNvmeCapacity(bytes);
            return true;
        }
        if (key == "disk-length") {
            if (args.size() != 1 || !ParseNumber(args[0], ~std::uint64_t{0}, drive_->diskLength)) {
                return Fail("disk-length needs one number of bytes");
            }
            return true;
        }
        if (key == "temperature-limits") {
            std::uint64_t warning = 0;
            std::uint64_t critical = 0;
            if (args.size() != 2 || !ParseNumber(args[0], 0xFFFF, warning) || !ParseNumber(args[1], 0xFFFF, critical)) {
                return Fail("temperature-limits needs the warning and critical temperature in kelvin");
            }
            drive_->nvmeIdentify[kNvmeWarningTempOffset] = static_cast<std::uint8_t>(warning);
            drive_->nvmeIdentify[kNvmeWarningTempOffset + 1] = static_cast<std::uint8_t>(warning >> 8);
            drive_->nvmeIdentify[kNvmeCriticalTempOffset] = static_cast<std::uint8_t>(critical);
            drive_->nvmeIdentify[kNvmeCriticalTempOffset + 1] = static_cast<std::uint8_t>(critical >> 8);
            return true;
        }
        if (key == "health") {
            return Health(args);
        }
        if (key == "temperature") {
            return NvmeTemperatures(args);
        }
        if (key == "health-series") {
            return HealthSeries(args);
        }
        if (key == "nvme-self-test") {
            return NvmeSelfTest(args);
        }
        if (key == "nvme-self-test-runs") {
            return NvmeSelfTestRuns(args);
        }
        if (key == "fail") {
            return NvmeFailure(args);
        }
        if (key == "via") {
            const struct {
                std::string_view name;
                SimulatedNvmeVia via;
            } routes[] = {{"jmicron", SimulatedNvmeVia::JMicron},
                          {"asmedia", SimulatedNvmeVia::ASMedia},
                          {"realtek", SimulatedNvmeVia::Realtek},
                          {"realtek-garbling", SimulatedNvmeVia::RealtekGarbling},
                          {"rst", SimulatedNvmeVia::IntelRst}};
            for (const auto& r : routes) {
                if (args.size() == 1 && args[0] == r.name) {
                    drive_->via = r.via;
                    return true;
                }
            }
            return Fail("via needs jmicron, asmedia, realtek, realtek-garbling or rst");
        }
        if (key == "nvme-identify-file") {
            return PageFile(rest, drive_->nvmeIdentify, kNvmeIdentifySize);
        }
        if (key == "health-file") {
            return PageFile(rest, drive_->health, kNvmeHealthSize);
        }
        return Fail("unknown key " + Quoted(key));
    }

    bool NvmeText(std::string_view value, unsigned offset, unsigned limit, const char* what)
    {
        if (value.empty()) {
            return Fail(std::string(what) + " needs a text");
        }
        if (value.size() > limit) {
            return Fail(std::string(what) + " is longer than " + std::to_string(limit) + " characters");
        }
        drive_->SetNvmeText(offset, limit, std::string(value).c_str());
        return true;
    }

    bool Health(const std::vector<std::string_view>& args)
    {
        if (args.size() == 2) {
            for (const HealthField& field : kHealthFields) {
                std::uint64_t value = 0;
                const std::uint64_t max = field.size >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * field.size)) - 1;
                if (args[0] == field.key && ParseNumber(args[1], max, value)) {
                    drive_->SetHealthField(field.offset, field.size, value);
                    return true;
                }
            }
        }
        return Fail("health needs a field (such as spare, used, power-on-hours) and a number that fits it");
    }

    // health-series FIELD V...: the field takes the values over health reads in turn, the
    // last one staying.
    bool HealthSeries(const std::vector<std::string_view>& args)
    {
        for (const HealthField& field : kHealthFields) {
            if (args.size() < 2 || args[0] != field.key || field.key == std::string_view("temperature")) {
                continue;
            }
            SimulatedDrive::HealthSeries series;
            series.offset = field.offset;
            series.size = field.size;
            const std::uint64_t max = field.size >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * field.size)) - 1;
            for (std::size_t i = 1; i < args.size(); ++i) {
                std::uint64_t value = 0;
                if (!ParseNumber(args[i], max, value)) {
                    return Fail("health-series values must fit the field " + Quoted(args[0]));
                }
                series.values.push_back(value);
            }
            drive_->healthSeries.push_back(std::move(series));
            return true;
        }
        return Fail("health-series needs a field (such as media-errors, used, spare, critical-warning; not "
                    "temperature) and at least one number");
    }

    // Degrees Celsius, or kelvin with a K suffix.
    bool NvmeTemperatures(const std::vector<std::string_view>& args)
    {
        if (args.empty()) {
            return Fail("temperature needs at least one value");
        }
        std::vector<std::uint16_t> kelvins;
        for (std::string_view word : args) {
            const bool kelvin = word.size() > 1 && (word.back() == 'K' || word.back() == 'k');
            if (kelvin) {
                word.remove_suffix(1);
            }
            std::uint64_t value = 0;
            if (!ParseNumber(word, kelvin ? 0xFFFF : 255, value)) {
                return Fail("temperatures are degrees from 0 to 255, or kelvin from 0K to 65535K");
            }
            kelvins.push_back(static_cast<std::uint16_t>(kelvin ? value : value + kKelvinOffset));
        }
        drive_->healthKelvins = kelvins;
        drive_->SetHealthField(kHealthCompositeTempOffset, 2, kelvins.front());
        return true;
    }

    bool NvmeFailure(const std::vector<std::string_view>& args)
    {
        SimulatedFailures& fail = drive_->fail;
        std::uint64_t from = 0;
        if (args.size() == 1 && (args[0] == "open" || args[0] == "identify")) {
            (args[0] == "open" ? fail.open : fail.identify) = true;
        } else if (args.size() == 1 && args[0] == "health") {
            fail.healthFrom = 1;
        } else if (args.size() == 3 && args[0] == "health" && args[1] == "from" &&
                   ParseNumber(args[2], 0xFFFFFFFF, from) && from > 0) {
            fail.healthFrom = static_cast<std::uint32_t>(from);
        } else {
            return Fail("an NVMe drive fails 'open', 'identify', 'health' or 'health from N' with N from 1 on");
        }
        return true;
    }

    bool PageFile(std::string_view name, std::uint8_t* page, std::size_t size)
    {
        if (name.empty()) {
            return Fail("a page file needs a file name");
        }
        std::string path(name);
        if (path.front() != '/' && !baseDirectory_.empty()) {
            path = baseDirectory_ + "/" + path;
        }
        std::string why;
        if (!readPage_ || !readPage_(path, page, size, why)) {
            return Fail(why.empty() ? "cannot read " + path : why);
        }
        return true;
    }

    bool Drive(const std::vector<std::string_view>& args)
    {
        std::uint64_t number = 0;
        if (args.size() != 1 || !ParseNumber(args[0], kSimulatedDriveSlots - 1, number)) {
            return Fail("drive needs one drive number from 0 to 15");
        }
        if (set_.drives[number].installed) {
            return Fail("drive " + std::to_string(number) + " is given twice");
        }
        Finish();
        drive_ = &set_.drives[number];
        driveNumber_ = static_cast<unsigned>(number);
        drive_->Install(driveNumber_);
        return true;
    }

    bool Text(std::string_view value, std::size_t limit, const char* what, void (SimulatedDrive::*set)(const char*))
    {
        if (value.empty()) {
            return Fail(std::string(what) + " needs a text");
        }
        if (value.size() > limit) {
            return Fail(std::string(what) + " is longer than " + std::to_string(limit) + " characters");
        }
        (drive_->*set)(std::string(value).c_str());
        identifyDirty_ = true;
        return true;
    }

    bool Dma(const std::vector<std::string_view>& args, const char* what, void (SimulatedDrive::*set)(int))
    {
        std::uint64_t mode = 0;
        if (args.size() == 1 && args[0] == "none") {
            (drive_->*set)(-1);
        } else if (args.size() == 1 && ParseNumber(args[0], 7, mode)) {
            (drive_->*set)(static_cast<int>(mode));
        } else {
            return Fail(std::string(what) + " needs a mode from 0 to 7 or 'none'");
        }
        identifyDirty_ = true;
        return true;
    }

    bool Attribute(const std::vector<std::string_view>& args)
    {
        // attribute ID FLAGS VALUE WORST RAW0 [RAW1 ... RAW5]
        std::uint64_t id = 0;
        std::uint64_t flags = 0;
        std::uint64_t value = 0;
        std::uint64_t worst = 0;
        if (args.size() < 5 || args.size() > 10) {
            return Fail("attribute needs: id flags value worst and 1 to 6 raw bytes");
        }
        if (!ParseNumber(args[0], 255, id) || id == 0) {
            return Fail("attribute id must be 1 to 255");
        }
        if (!ParseNumber(args[1], 0xFFFF, flags) || !ParseNumber(args[2], 255, value) ||
            !ParseNumber(args[3], 255, worst)) {
            return Fail("attribute flags must be 0 to 0xFFFF, value and worst 0 to 255");
        }
        std::uint8_t raw[kSmartRawSize] = {};
        for (std::size_t i = 4; i < args.size(); ++i) {
            std::uint64_t byte = 0;
            if (args[i].size() > 2 || !ParseNumber(args[i], 0xFF, byte, 16)) {
                return Fail("raw bytes are two hex digits each, such as 2D");
            }
            raw[i - 4] = static_cast<std::uint8_t>(byte);
        }
        if (!drive_->SetAttribute(static_cast<std::uint8_t>(id), static_cast<std::uint16_t>(flags),
                                  static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(worst), raw)) {
            return Fail("more than 30 attributes");
        }
        smartDirty_ = true;
        return true;
    }

    bool Threshold(const std::vector<std::string_view>& args)
    {
        std::uint64_t id = 0;
        std::uint64_t value = 0;
        if (args.size() != 2 || !ParseNumber(args[0], 255, id) || id == 0 || !ParseNumber(args[1], 255, value)) {
            return Fail("threshold needs an id from 1 to 255 and a value from 0 to 255");
        }
        if (!drive_->SetThreshold(static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(value))) {
            return Fail("more than 30 thresholds");
        }
        thresholdsDirty_ = true;
        return true;
    }

    // raw ID V... / normalised ID V...: the attribute's raw count (48 bits) or normalised
    // value over attribute reads in turn, the last one staying. The attribute must exist.
    bool AttributeSeries(bool normalised, const std::vector<std::string_view>& args)
    {
        const char* usage = normalised ? "normalised needs an attribute id from 1 to 255 and values from 0 to 255"
                                       : "raw needs an attribute id from 1 to 255 and values below 2^48";
        std::uint64_t id = 0;
        if (args.size() < 2 || !ParseNumber(args[0], 255, id) || id == 0) {
            return Fail(usage);
        }
        SimulatedDrive::AttributeSeries series;
        series.id = static_cast<std::uint8_t>(id);
        series.normalised = normalised;
        for (std::size_t i = 1; i < args.size(); ++i) {
            std::uint64_t value = 0;
            if (!ParseNumber(args[i], normalised ? 255 : (std::uint64_t{1} << 48) - 1, value)) {
                return Fail(usage);
            }
            series.values.push_back(value);
        }
        bool found = false;
        for (unsigned i = 0; i < kSmartEntryCount && !found; ++i) {
            found = drive_->smartData[kSmartTableOffset + i * kSmartEntrySize] == series.id;
        }
        if (!found) {
            return Fail("attribute " + std::to_string(id) + " must be set before its values change");
        }
        drive_->attributeSeries.push_back(std::move(series));
        return true;
    }

    bool Temperature(const std::vector<std::string_view>& args)
    {
        std::uint64_t id = 0;
        if (args.size() < 2 || !ParseNumber(args[0], 255, id) || id == 0) {
            return Fail("temperature needs an attribute id from 1 to 255 and at least one value");
        }
        std::vector<std::uint8_t> values;
        for (std::size_t i = 1; i < args.size(); ++i) {
            std::uint64_t value = 0;
            if (!ParseNumber(args[i], 255, value)) {
                return Fail("temperatures are numbers from 0 to 255");
            }
            values.push_back(static_cast<std::uint8_t>(value));
        }
        if (!drive_->SetTemperatures(static_cast<std::uint8_t>(id), values)) {
            return Fail("more than 30 attributes");
        }
        smartDirty_ = true;
        return true;
    }

    // temperature-property WARNING CRITICAL T...: the drive answers only the storage
    // temperature property, with these thresholds and temperatures in turn.
    bool TemperatureProperty(const std::vector<std::string_view>& args)
    {
        const char* usage = "temperature-property needs the warning and critical temperature and at least one "
                            "temperature, numbers from 0 to 255";
        std::uint64_t warning = 0;
        std::uint64_t critical = 0;
        if (args.size() < 3 || !ParseNumber(args[0], 255, warning) || !ParseNumber(args[1], 255, critical)) {
            return Fail(usage);
        }
        if (drive_->bridge != SimulatedBridge::None) {
            return Fail("a drive behind a bridge cannot have temperature-property");
        }
        std::vector<std::int16_t> values;
        for (std::size_t i = 2; i < args.size(); ++i) {
            std::uint64_t value = 0;
            if (!ParseNumber(args[i], 255, value)) {
                return Fail(usage);
            }
            values.push_back(static_cast<std::int16_t>(value));
        }
        drive_->propertyOnly = true;
        drive_->propertyWarning = static_cast<std::int16_t>(warning);
        drive_->propertyCritical = static_cast<std::int16_t>(critical);
        drive_->propertyTemperatures = std::move(values);
        return true;
    }

    bool Failure(const std::vector<std::string_view>& args)
    {
        SimulatedFailures& fail = drive_->fail;
        if (args.size() == 1) {
            const std::string_view step = args[0];
            if (step == "open") {
                fail.open = true;
            } else if (step == "version") {
                fail.version = true;
            } else if (step == "enable") {
                fail.enable = true;
            } else if (step == "identify") {
                fail.identify = true;
            } else if (step == "attributes") {
                fail.attributesFrom = 1;
            } else if (step == "thresholds") {
                fail.thresholds = true;
            } else {
                return Fail("unknown step " + Quoted(step) +
                            " (open, version, enable, identify, attributes, thresholds)");
            }
            return true;
        }
        std::uint64_t from = 0;
        if (args.size() == 3 && (args[0] == "attributes" || args[0] == "answers") && args[1] == "from" &&
            ParseNumber(args[2], 0xFFFFFFFF, from) && from > 0) {
            (args[0] == "attributes" ? fail.attributesFrom : fail.answersFrom) = static_cast<std::uint32_t>(from);
            return true;
        }
        return Fail("fail needs a step, or 'attributes from N' or 'answers from N' with N from 1 on");
    }

    // sleep FROM [TO]: spun down from the FROMth power check through the TOth; FROM
    // `start`: spun down before anything reaches it.
    bool Sleep(const std::vector<std::string_view>& args)
    {
        std::uint64_t from = 0;
        std::uint64_t to = 0;
        const bool atStart = !args.empty() && args[0] == "start";
        if (args.empty() || args.size() > 2 || (!atStart && (!ParseNumber(args[0], 0xFFFFFFFF, from) || from == 0)) ||
            (args.size() == 2 && (!ParseNumber(args[1], 0xFFFFFFFF, to) || to < from || (atStart && to == 0)))) {
            return Fail("sleep needs the first power check asleep (1 on, or 'start') and optionally the last "
                        "(not before it)");
        }
        drive_->asleepAtStart = atStart;
        drive_->sleepFrom = static_cast<std::uint32_t>(from);
        drive_->sleepTo = static_cast<std::uint32_t>(to);
        return true;
    }

    // A self-test status word: its nibble.
    static bool StatusOf(std::string_view word, std::uint64_t& status)
    {
        static const std::string_view statuses[] = {"passed", "aborted", "interrupted", "fatal", "unknown-element",
                                                    "electrical", "servo", "read", "handling"};
        for (std::size_t i = 0; i < std::size(statuses); ++i) {
            if (statuses[i] == word) {
                status = i;
                return true;
            }
        }
        return false;
    }

    // self-test KIND STATUS HOURS [LBA]: one more entry of the self-test log, oldest first,
    // written round-robin over its 21 descriptors as a drive does. KIND short, extended,
    // conveyance, selective or a subcommand number; STATUS passed, aborted, interrupted,
    // fatal, unknown-element, electrical, servo, read, handling, running or the nibble.
    bool SelfTest(const std::vector<std::string_view>& args)
    {
        static const std::string_view kinds[] = {"", "short", "extended", "conveyance", "selective"};
        std::uint64_t kind = 0;
        std::uint64_t status = 0;
        std::uint64_t hours = 0;
        std::uint64_t lba = 0xFFFFFFFF;
        bool known = args.size() == 3 || args.size() == 4;
        if (known) {
            const auto indexOf = [](const auto& table, std::string_view word, std::uint64_t& value) {
                for (std::size_t i = 0; i < std::size(table); ++i) {
                    if (!table[i].empty() && table[i] == word) {
                        value = i;
                        return true;
                    }
                }
                return false;
            };
            known = (indexOf(kinds, args[0], kind) || ParseNumber(args[0], 0xFF, kind)) &&
                    (StatusOf(args[1], status) || (args[1] == "running" && (status = 15, true)) ||
                     ParseNumber(args[1], 15, status)) &&
                    ParseNumber(args[2], 0xFFFF, hours) && (args.size() == 3 || ParseNumber(args[3], kMaxSectors, lba));
        }
        if (!known) {
            return Fail("self-test needs a kind, a status, the power-on hours and optionally the failing LBA");
        }
        KeepSelfTestLog();
        drive_->LogSelfTest(static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(status),
                            static_cast<std::uint16_t>(hours), lba);
        selfTestDirty_ = true;
        return true;
    }

    // The drive logs its self-tests (IDENTIFY word 84 bit 1), as the first "self-test"
    // line or "self-test-extended" says.
    void KeepSelfTestLog()
    {
        if (drive_->logsSelfTests) {
            return;
        }
        drive_->logsSelfTests = true;
        drive_->selfTestLog[0] = 1;  // revision
        drive_->identify[168] |= 0x02;  // word 84: self-tests supported
        drive_->identify[169] = static_cast<std::uint8_t>((drive_->identify[169] & 0x3F) | 0x40);
        identifyDirty_ = true;
        selfTestDirty_ = true;
        // as such drives report: the off-line capability and the polling minutes
        drive_->smartData[kOfflineCapabilityOffset] |= kCapabilitySelfTest;
        drive_->smartData[kShortPollingOffset] = 2;
        drive_->smartData[kExtendedPollingOffset] = 80;
        smartDirty_ = true;
    }

    // self-test-extended PAGES: the drive also keeps the extended self-test log (07h) of
    // PAGES pages (1-4), read by READ LOG EXT: IDENTIFY says GPL (word 84 bit 5) and 48-bit
    // addressing (word 83 bit 10). Before the "self-test" lines, which then go into both.
    bool SelfTestExtended(const std::vector<std::string_view>& args)
    {
        std::uint64_t pages = 0;
        if (args.size() != 1 || !ParseNumber(args[0], kExtendedSelfTestPagesMax, pages) || pages == 0) {
            return Fail("self-test-extended needs the pages of the log (1-4)");
        }
        if (drive_->selfTestsLogged != 0) {
            return Fail("self-test-extended comes before the self-test lines");
        }
        KeepSelfTestLog();
        drive_->extendedSelfTestPages = static_cast<std::uint8_t>(pages);
        for (unsigned page = 0; page < pages; ++page) {
            std::uint8_t* at = drive_->extendedSelfTestLog + page * kSmartSectorSize;
            at[0] = 1;  // revision
            SealSector(at);
        }
        drive_->identify[168] |= 0x20;  // word 84: General Purpose logging
        drive_->identify[167] = static_cast<std::uint8_t>((drive_->identify[167] & 0x3F) | 0x40 | 0x04);  // word 83: 48-bit
        identifyDirty_ = true;
        return true;
    }

    // self-test-runs READINGS STATUS [LBA]: a self-test started now runs for READINGS
    // attribute reads and then ends with STATUS (the words of "self-test" or the nibble).
    bool SelfTestRuns(const std::vector<std::string_view>& args)
    {
        std::uint64_t readings = 0;
        std::uint64_t status = 0;
        std::uint64_t lba = 0xFFFFFFFF;
        const bool known = (args.size() == 2 || args.size() == 3) && ParseNumber(args[0], 1000, readings) &&
                           readings != 0 && (StatusOf(args[1], status) || ParseNumber(args[1], 15, status)) &&
                           (args.size() == 2 || ParseNumber(args[2], kMaxSectors, lba));
        if (!known) {
            return Fail("self-test-runs needs the readings (1-1000) it runs, the status it ends with and "
                        "optionally the failing LBA");
        }
        drive_->selfTestReadings = static_cast<std::uint32_t>(readings);
        drive_->selfTestResult = static_cast<std::uint8_t>(status);
        drive_->selfTestLba = lba;
        return true;
    }

    // nvme-self-test CODE RESULT HOURS [LBA]: one more result of the Device Self-test log,
    // oldest first (the page keeps the newest first: earlier ones move down, 20 at most).
    // CODE 1 short, 2 extended; RESULT the status nibble (0 passed, 7 a segment failed...);
    // an LBA marks itself valid. The first line sets OACS bit 4.
    bool NvmeSelfTest(const std::vector<std::string_view>& args)
    {
        std::uint64_t code = 0;
        std::uint64_t result = 0;
        std::uint64_t hours = 0;
        std::uint64_t lba = 0;
        if ((args.size() != 3 && args.size() != 4) || !ParseNumber(args[0], 15, code) ||
            !ParseNumber(args[1], 15, result) || !ParseNumber(args[2], 0xFFFFFFFF, hours) ||
            (args.size() == 4 && !ParseNumber(args[3], 0xFFFFFFFFFFFFull, lba))) {
            return Fail("nvme-self-test needs the test code, the result nibble, the power-on hours and optionally "
                        "the failing LBA");
        }
        std::uint8_t* page = drive_->nvmeSelfTestLog;
        if ((drive_->nvmeIdentify[kNvmeOacsOffset] & kNvmeOacsSelfTest) == 0) {
            drive_->nvmeIdentify[kNvmeOacsOffset] |= kNvmeOacsSelfTest;
            for (unsigned n = 0; n < kNvmeSelfTestResults; ++n) {
                page[4 + n * 28] = 0x0F;  // unused
            }
        }
        drive_->LogNvmeSelfTest(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(result), hours,
                                args.size() == 4, lba);
        return true;
    }

    // nvme-self-test-runs READINGS RESULT [LBA]: a Device Self-test started now runs for
    // READINGS health reads and then logs RESULT (the status nibble) and the LBA, if given.
    bool NvmeSelfTestRuns(const std::vector<std::string_view>& args)
    {
        std::uint64_t readings = 0;
        std::uint64_t result = 0;
        std::uint64_t lba = 0xFFFFFFFF;
        if ((args.size() != 2 && args.size() != 3) || !ParseNumber(args[0], 1000, readings) || readings == 0 ||
            !ParseNumber(args[1], 15, result) || (args.size() == 3 && !ParseNumber(args[2], 0xFFFFFFFE, lba))) {
            return Fail("nvme-self-test-runs needs the readings (1-1000) it runs, the result nibble it ends with and "
                        "optionally the failing LBA");
        }
        drive_->selfTestReadings = static_cast<std::uint32_t>(readings);
        drive_->selfTestResult = static_cast<std::uint8_t>(result);
        drive_->selfTestLba = static_cast<std::uint32_t>(lba);
        return true;
    }

    // return-status WORD...: the answers to RETURN STATUS in turn, the last one staying.
    bool ReturnStatuses(const std::vector<std::string_view>& args)
    {
        std::vector<SimulatedDrive::Status> answers;
        for (const std::string_view word : args) {
            if (word != "passed" && word != "failing" && word != "refused") {
                answers.clear();
                break;
            }
            answers.push_back(word == "passed"    ? SimulatedDrive::Status::Passed
                              : word == "failing" ? SimulatedDrive::Status::Failing
                                                  : SimulatedDrive::Status::Refused);
        }
        if (answers.empty()) {
            return Fail("return-status needs one or more of 'passed', 'failing' and 'refused'");
        }
        drive_->returnStatuses = std::move(answers);
        return true;
    }

    bool PowerCalls(const std::vector<std::string_view>& args)
    {
        if (args.size() != 1 || (args[0] != "both" && args[0] != "ata" && args[0] != "state" && args[0] != "none")) {
            return Fail("power-calls needs 'both', 'ata' (CHECK POWER MODE only), 'state' (GetDevicePowerState only) "
                        "or 'none'");
        }
        drive_->answersCheckPower = args[0] == "both" || args[0] == "ata";
        drive_->answersPowerState = args[0] == "both" || args[0] == "state";
        return true;
    }

    bool SectorFile(std::string_view name, std::uint8_t (&sector)[kSmartSectorSize], bool& dirty)
    {
        if (name.empty()) {
            return Fail("a sector file needs a file name");
        }
        std::string path(name);
        if (path.front() != '/' && !baseDirectory_.empty()) {
            path = baseDirectory_ + "/" + path;
        }
        std::string why;
        if (!readPage_ || !readPage_(path, sector, sizeof sector, why)) {
            return Fail(why.empty() ? "cannot read " + path : why);
        }
        dirty = false;  // replayed as it was dumped
        if (&sector == &drive_->identify) {
            // The ATAPI flag of a dumped drive comes from its general configuration word.
            drive_->atapi = (sector[1] & 0xC0) == 0x80;
        }
        return true;
    }

    // Seals the sectors the previous drive's keys changed.
    void Finish()
    {
        if (drive_ != nullptr) {
            if (identifyDirty_) {
                SealSector(drive_->identify);
            }
            if (smartDirty_) {
                SealSector(drive_->smartData);
            }
            if (thresholdsDirty_) {
                SealSector(drive_->thresholds);
            }
            if (selfTestDirty_) {
                SealSector(drive_->selfTestLog);
                if (selfTestChecksumBad_) {
                    drive_->selfTestLog[kSmartSectorSize - 1] ^= 0x5A;
                }
            }
        }
        identifyDirty_ = smartDirty_ = thresholdsDirty_ = selfTestDirty_ = selfTestChecksumBad_ = false;
    }

    const std::string& baseDirectory_;
    const PageReader& readPage_;
    DriveSet& set_;
    SimulatedDrive* drive_ = nullptr;
    unsigned driveNumber_ = 0;
    bool identifyDirty_ = false;
    bool smartDirty_ = false;
    bool thresholdsDirty_ = false;
    bool selfTestDirty_ = false;
    bool selfTestChecksumBad_ = false;
    std::string message_;
};

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

bool ReadPageFile(const std::string& path, std::uint8_t* page, std::size_t size, std::string& error)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG) {
        error = "cannot read " + path;
        return false;
    }
    const std::string wrongSize = path + " is not " + std::to_string(size) + " bytes long";
    if (info.st_size != static_cast<decltype(info.st_size)>(size)) {
        error = wrongSize;
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot read " + path;
        return false;
    }
    const std::size_t got = std::fread(page, 1, size, file);
    std::fclose(file);
    if (got != size) {
        error = wrongSize;
        return false;
    }
    return true;
}

bool ReadSectorFile(const std::string& path, std::uint8_t (&sector)[kSmartSectorSize], std::string& error)
{
    return ReadPageFile(path, sector, sizeof sector, error);
}

bool ParseDriveSet(std::string_view text, const std::string& baseDirectory, const PageReader& readPage,
                   DriveSet& set, std::string& error)
{
    Parser parser(baseDirectory, readPage, set);
    return parser.Run(text, error);
}

bool ParseDriveSet(std::string_view text, const std::string& baseDirectory, const SectorReader& readSector,
                   DriveSet& set, std::string& error)
{
    const PageReader sectors = [&readSector](const std::string& path, std::uint8_t* page, std::size_t size,
                                             std::string& why) {
        if (size != kSmartSectorSize || !readSector) {
            why = "cannot read " + path;
            return false;
        }
        std::uint8_t sector[kSmartSectorSize] = {};
        if (!readSector(path, sector, why)) {
            return false;
        }
        std::memcpy(page, sector, size);
        return true;
    };
    return ParseDriveSet(text, baseDirectory, sectors, set, error);
}

bool LoadDriveSet(const std::string& path, DriveSet& set, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    return ParseDriveSet(content.str(), DirectoryOf(path), PageReader(ReadPageFile), set, error);
}
