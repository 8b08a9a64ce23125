// Random drive database files: loading and looking up must never fail or read out of
// bounds, and an entry must never give a model an id it does not start with.
#include "drive_database.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

const std::string& ScratchFile()
{
    static const std::string path = "/tmp/kv-fuzz-db-" + std::to_string(::getpid()) + ".cfg";
    return path;
}

std::uint8_t Lookup(const char* model)
{
    DriveRecord record;
    std::snprintf(record.model, sizeof(record.model), "%s", model);
    LookupTemperatureAttribute(0, record);
    return record.temperatureAttributeId;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (LoadDriveDatabase(ScratchFile().c_str()) != 1) {
        __builtin_trap();
    }

    // Models taken from the input itself, so keys of the file get matched.
    char model[64] = {};
    const std::size_t take = size < 40 ? size : 40;
    std::memcpy(model, data, take);
    Lookup(model);
    Lookup("");
    Lookup("ST380011A");
    // A key that is empty after trimming must match nothing, not every model.
    if (Lookup("") != 0) {
        __builtin_trap();
    }
    return 0;
}
