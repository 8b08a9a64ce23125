// Loading drive databases of growing size (the shipped one has a few dozen lines) and
// looking up a model that matches the last entry, the longest walk there is.
//
//   bench_drive_database
#include "drive_database.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace {

// A database of `lines` fixed-width model prefixes (none a prefix of another) with a
// comment line every hundred, in a scratch file removed afterwards.
class DatabaseFile {
public:
    explicit DatabaseFile(unsigned lines)
        : path_(std::filesystem::temp_directory_path() / ("kv-bench-db-" + std::to_string(std::random_device{}())))
    {
        std::FILE* file = std::fopen(path_.string().c_str(), "w");
        if (file == nullptr) {
            return;
        }
        for (unsigned i = 0; i < lines; ++i) {
            if (i % 100 == 99) {
                std::fprintf(file, "# block %u\n", i / 100);
            } else {
                std::fprintf(file, "GEN%06u MODEL = %u\n", i, 190 + i % 50);
            }
        }
        std::fclose(file);
    }
    ~DatabaseFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void LoadDatabase(benchmark::State& state)
{
    const auto lines = static_cast<unsigned>(state.range(0));
    const DatabaseFile file(lines);
    for (auto _ : state) {
        if (LoadDriveDatabase(file.Path().c_str()) != 1) {
            state.SkipWithError("cannot read the database file");
            return;
        }
    }
    state.counters["entries"] = TheDriveDatabase().UsedEntries();
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
    TheDriveDatabase().Clear();
}
BENCHMARK(LoadDatabase)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void LookupLastEntry(benchmark::State& state)
{
    const auto lines = static_cast<unsigned>(state.range(0));
    const DatabaseFile file(lines);
    LoadDriveDatabase(file.Path().c_str());
    char model[32];
    std::snprintf(model, sizeof model, "GEN%06u MODEL 80GB", lines - 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TheDriveDatabase().Lookup(model));
    }
    TheDriveDatabase().Clear();
}
BENCHMARK(LookupLastEntry)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
