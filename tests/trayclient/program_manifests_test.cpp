// The manifests the shipped programs carry, read from the built programs as Windows reads
// them (resource 1 of type RT_MANIFEST): who they run as, the common controls they bind
// and that they declare themselves DPI aware, so that Windows does not stretch them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ManifestOf(const char* program)
{
    HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        return std::string();
    }
    std::string text;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (bytes) {
        text.assign(bytes, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return text;
}

bool Holds(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

TEST(ProgramManifests, EachProgramRunsAsItShouldAndIsDpiAware)
{
    const struct {
        const char* program;
        const char* level;
    } cases[] = {
        {KV_KELVIX_EXE, "level=\"requireAdministrator\""},
        {KV_KELVIX_SIM_EXE, "level=\"asInvoker\""},
        {KV_PELITO_EXE, "level=\"asInvoker\""},
    };
    for (const auto& c : cases) {
        const std::string manifest = ManifestOf(c.program);
        ASSERT_FALSE(manifest.empty()) << c.program << " carries no manifest";
        EXPECT_TRUE(Holds(manifest, c.level)) << c.program;
        EXPECT_TRUE(Holds(manifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"")) << c.program;
        EXPECT_TRUE(Holds(manifest, "WindowsSettings\">true</dpiAware>")) << c.program;
    }
}

}  // namespace
