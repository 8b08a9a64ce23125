#include "winhttp_functions_win.h"

#include "system_library_win.h"

namespace {

struct Loaded {
    WinHttpFunctions functions{};
    std::string error;
};

Loaded Load()
{
    Loaded loaded;
    const HMODULE library = LoadSystemLibrary(L"winhttp.dll");
    if (library == nullptr) {
        loaded.error = "winhttp.dll cannot be loaded (error " + std::to_string(GetLastError()) + ")";
        return loaded;
    }
    WinHttpFunctions& f = loaded.functions;
    const bool found = FindFunction(library, "WinHttpCrackUrl", f.CrackUrl) &&
                       FindFunction(library, "WinHttpOpen", f.Open) &&
                       FindFunction(library, "WinHttpSetTimeouts", f.SetTimeouts) &&
                       FindFunction(library, "WinHttpConnect", f.Connect) &&
                       FindFunction(library, "WinHttpOpenRequest", f.OpenRequest) &&
                       FindFunction(library, "WinHttpSendRequest", f.SendRequest) &&
                       FindFunction(library, "WinHttpReceiveResponse", f.ReceiveResponse) &&
                       FindFunction(library, "WinHttpQueryHeaders", f.QueryHeaders) &&
                       FindFunction(library, "WinHttpCloseHandle", f.CloseHandle);
    if (!found) {
        loaded.error = "winhttp.dll lacks a function this program needs";
    }
    return loaded;
}

}  // namespace

const WinHttpFunctions* TheWinHttp(std::string& error)
{
    // Loaded once, by whichever thread asks first (deliveries and the dialog's test).
    static const Loaded loaded = Load();
    error = loaded.error;
    return loaded.error.empty() ? &loaded.functions : nullptr;
}
