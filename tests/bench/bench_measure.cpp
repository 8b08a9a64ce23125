// One measurement cycle over sixteen present simulated drives, with logging off and on.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "driveset_file.h"
#include "measurement.h"
#include "settings.h"
#include "simulated_disk.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace {

// A scratch directory for KELVIX.INI, the log and the database, left on exit.
class Scratch {
public:
    Scratch()
    {
        previous_ = std::filesystem::current_path();
        path_ = std::filesystem::temp_directory_path() / ("kv-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~Scratch()
    {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

void MeasureSixteenDrives(benchmark::State& state)
{
    Scratch scratch;
    if (std::FILE* db = std::fopen("HDDATA.CFG", "w")) {
        std::fputs("KVX = 194\n", db);
        std::fclose(db);
    }
    LoadDriveDatabase("HDDATA.CFG");

    std::string text = "platform 2\n";
    for (unsigned i = 0; i < 16; ++i) {
        text += "drive " + std::to_string(i) + "\nmodel KVX BENCH " + std::to_string(i) +
                "\nattribute 1 0x000f 117 99 00 A1 B2 03\nattribute 9 0x0032 95 95 10 27\n"
                "temperature 194 " + std::to_string(30 + i) + " " + std::to_string(31 + i) + "\n";
    }
    DriveSet set;
    std::string error;
    if (!ParseDriveSet(text, "", ReadSectorFile, set, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto bus = std::make_unique<SimulatedDiskBus>(set);
    bus->RecordRequests(false);
    ScopedDiskControl installed(*bus);
    {
        auto drives = std::make_unique<DriveState>();
        drives->probeCount = DetectProbeCount();
        EnumerateDrives(*drives);
        Settings settings;
        settings.UseLog = static_cast<std::int32_t>(state.range(0));
        MeasureAll(*drives, settings);  // the first cycle writes every worst value
        bus->ClearLog();
        for (auto _ : state) {
            benchmark::DoNotOptimize(MeasureAll(*drives, settings));
        }
        state.counters["drives"] = static_cast<double>(drives->presentCount);
        state.counters["requests/cycle"] =
            static_cast<double>(bus->RequestCount()) / static_cast<double>(state.iterations());
    }
    TheDriveDatabase().Clear();
}

BENCHMARK(MeasureSixteenDrives)->Arg(0)->Arg(1)->ArgName("log")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
