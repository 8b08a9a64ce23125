#include "harness_client.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace harness {

int RunUnix(const std::string& shellCommand)
{
    std::string line = "/bin/sh -c \"" + shellCommand + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("/bin/sh", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::string ScreenshotDir()
{
    const char* dir = std::getenv("KV_SCREENSHOT_DIR");
    return dir ? dir : "";
}

bool SaveScreenshot(const std::string& name)
{
    const std::string dir = ScreenshotDir();
    const char* display = std::getenv("DISPLAY");
    if (dir.empty() || !display)
        return false;
    GdiFlush();
    Sleep(300);  // let the X server catch up with what Wine drew
    // Wine does not wait for a Unix child to end, so the picture is written under a
    // temporary name, renamed when complete, and waited for here.
    const std::string path = dir + "/" + name + ".png";
    std::remove(path.c_str());
    RunUnix("import -display " + std::string(display) + " -window root 'png:" + path + ".part' && mv '" +
            path + ".part' '" + path + "'");
    for (int waited = 0; waited < 15000; waited += 100) {
        if (FILE* file = std::fopen(path.c_str(), "rb")) {
            std::fclose(file);
            return true;
        }
        Sleep(100);
    }
    return false;
}

}  // namespace harness
