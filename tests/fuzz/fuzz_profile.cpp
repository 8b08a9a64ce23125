// libFuzzer entry for the native profile engine: the input is the content of a profile
// file; the engine reads from it, writes to it and must read back what it wrote.
#include "profile.h"
#include "profile_document.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

namespace {

const std::string& ScratchFile()
{
    static const std::string path = [] {
        std::random_device random;
        const auto dir = std::filesystem::temp_directory_path() / ("kvfuzz-" + std::to_string(random()));
        std::filesystem::create_directories(dir);
        return (dir / "fuzz.ini").string();
    }();
    return path;
}

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "profile engine: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);

    // Saving is stable: a saved document saves to the same bytes again.
    const std::string saved = ProfileDocument(content).Bytes();
    Require(ProfileDocument(saved).Bytes() == saved, "saving twice changed the bytes");

    const std::string& file = ScratchFile();
    if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    char buffer[64];
    profile::GetString("A", "x", "def", buffer, sizeof buffer, file.c_str());
    profile::GetString(nullptr, nullptr, "", buffer, sizeof buffer, file.c_str());
    profile::GetString("A", nullptr, "", buffer, 5, file.c_str());
    profile::GetString("", "x", "", buffer, 1, file.c_str());
    profile::GetInt("A", "x", 7, file.c_str());

    Require(profile::WriteString("A", "x", "0x1f", file.c_str()), "write refused");
    Require(profile::GetInt("A", "x", 7, file.c_str()) == 31, "written value not read back");
    Require(profile::WriteString("New Section", "k", "v", file.c_str()), "write refused");
    profile::GetString("new section", "K", "", buffer, sizeof buffer, file.c_str());
    Require(std::strcmp(buffer, "v") == 0, "new section not read back");

    const char entries[] = "p=1\0q\0r= 2\0";
    Require(profile::WriteSection("A", entries, file.c_str()), "section write refused");
    Require(profile::GetInt("A", "r", 0, file.c_str()) == 2, "section entry not read back");
    Require(profile::GetInt("A", "x", 7, file.c_str()) == 7, "section not emptied");
    profile::WriteString("A", nullptr, nullptr, file.c_str());
    return 0;
}
