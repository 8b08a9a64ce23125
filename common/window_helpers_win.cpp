#include "window_helpers_win.h"

#include "cp932_text.h"
#include "display_scale.h"
#include "loaded_library.h"
#include "split_path.h"
#include "wide_text_win.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

BOOL PlaceWindow(HWND window, int code)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return FALSE;
    }
    const WindowOrigin origin =
        PlacementOrigin(rect, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), code);
    return MoveWindow(window, origin.x, origin.y, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

BOOL MoveWindowTo(HWND window, int x, int y)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return FALSE;
    }
    return MoveWindow(window, x, y, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

BOOL KeepOnNearestWorkArea(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return FALSE;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return FALSE;
    }
    const WindowOrigin origin = OriginInside(rect, monitor.rcWork);
    if (origin.x == rect.left && origin.y == rect.top) {
        return TRUE;
    }
    return MoveWindowTo(window, origin.x, origin.y);
}

BOOL SetTopMost(HWND window, bool on)
{
    return SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CentreDialogWithIcon(HWND dialog, HINSTANCE instance, UINT iconId)
{
    PlaceWindow(dialog, PLACE_CENTRE);
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure, UINT iconId,
    bool redraw, UINT classStyle)
{
    WNDCLASSA windowClass{};
    windowClass.style = classStyle | (redraw ? CS_HREDRAW | CS_VREDRAW : 0);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = iconId != 0 ? LoadIconA(instance, MAKEINTRESOURCEA(iconId)) : nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(12));
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateHiddenWindow(HINSTANCE instance, const char* className, const char* title)
{
    HWND window = CreateWindowExA(0, className, title, 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (window) {
        ShowWindow(window, SW_HIDE);
        UpdateWindow(window);
    }
    return window;
}

BOOL ForceForeground(HWND window)
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    const bool nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    const bool modern = nt ? version.dwMajorVersion >= 5
                           : version.dwMajorVersion >= 4 && version.dwMinorVersion >= 10;
    if (!modern) {
        return SetForegroundWindow(window);
    }
    // Newer systems refuse the foreground to a thread that is not attached to the
    // input of the current foreground window.
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const DWORD ownThread = GetCurrentThreadId();
    const bool attach = foregroundThread != 0 && foregroundThread != ownThread;
    if (attach) {
        AttachThreadInput(ownThread, foregroundThread, TRUE);
    }
    SetForegroundWindow(window);
    if (attach) {
        AttachThreadInput(ownThread, foregroundThread, FALSE);
    }
    return BringWindowToTop(window);
}

namespace {

// The pickers come from the common-dialog library, loaded only while one is open: linked,
// it and what it needs were loaded at every start (8.7 MB of a 32 MB start under Wine).
const char kCommonDialogs[] = "COMDLG32.DLL";
using GetFileNameCall = BOOL(WINAPI*)(OPENFILENAMEW*);
using ChooseFontCall = BOOL(WINAPI*)(CHOOSEFONTA*);
using ChooseColorCall = BOOL(WINAPI*)(CHOOSECOLORA*);

// The open or the save dialog; the save dialog asks before it replaces a file.
bool PickPath(HWND owner, const char* title, const char* filter, char* path, DWORD pathSize, bool save)
{
    if (path == nullptr || pathSize == 0) {
        return false;
    }
    std::string directory;
    std::string fileName;
    if (!SplitPath(path, &directory, &fileName)) {
        return false;
    }
    directory.resize(std::min<std::size_t>(directory.size(), pathSize - 1));
    // The file name in UTF-16 with room for what the user picks; the filter keeps its
    // inner zeros.
    std::vector<wchar_t> fileBuffer(pathSize, L'\0');
    const std::wstring wideName = WideFromCp932(fileName.c_str());
    wideName.copy(fileBuffer.data(), std::min<std::size_t>(wideName.size(), pathSize - 1));
    std::wstring wideFilter;
    for (const char* part = filter; part && *part; part += std::strlen(part) + 1) {
        wideFilter += WideFromCp932(part);
        wideFilter += L'\0';
    }
    wideFilter += L'\0';
    const std::wstring wideDirectory = WideFromCp932(directory.c_str());
    const std::wstring wideTitle = WideFromCp932(title);

    OPENFILENAMEW record{};
    record.lStructSize = kOpenFileRecordSize;
    record.hwndOwner = owner;
    record.lpstrFilter = filter ? wideFilter.c_str() : nullptr;
    record.lpstrFile = fileBuffer.data();
    record.nMaxFile = pathSize;
    record.lpstrInitialDir = directory.empty() ? nullptr : wideDirectory.c_str();
    record.lpstrTitle = wideTitle.c_str();
    // A name typed without an extension gets the starting name's.
    const std::size_t dot = wideName.rfind(L'.');
    const std::wstring extension = dot == std::wstring::npos ? std::wstring() : wideName.substr(dot + 1);
    record.lpstrDefExt = save && !extension.empty() ? extension.c_str() : nullptr;
    // Without OFN_NOCHANGEDIR the dialog makes the chosen folder current, and the files
    // both programs open by bare name (log, database, glyphs) would then be looked for there.
    record.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_READONLY);
    const LoadedLibrary dialogs(kCommonDialogs);
    const auto getFileName = dialogs.Find<GetFileNameCall>(save ? "GetSaveFileNameW" : "GetOpenFileNameW");
    if (!getFileName || !getFileName(&record)) {
        return false;
    }
    const std::string chosen = Cp932FromWide(fileBuffer.data());
    const std::size_t length = Cp932FitLength(chosen.c_str(), pathSize - 1);
    std::memcpy(path, chosen.data(), length);
    path[length] = '\0';
    return true;
}

}  // namespace

bool PickFile(HWND owner, const char* title, const char* filter, char* path, DWORD pathSize)
{
    return PickPath(owner, title, filter, path, pathSize, false);
}

bool PickSaveFile(HWND owner, const char* title, const char* filter, char* path, DWORD pathSize)
{
    return PickPath(owner, title, filter, path, pathSize, true);
}

bool PickFont(HWND owner, LOGFONTA* font)
{
    if (font == nullptr) {
        return false;
    }
    // The dialog works in the display's pixels, the record in those at 96 dpi.
    const int dpi = DisplayDpi();
    LOGFONTA choice = *font;
    choice.lfHeight = ScaleToDpi(font->lfHeight, dpi);
    choice.lfWidth = ScaleToDpi(font->lfWidth, dpi);
    CHOOSEFONTA record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.lpLogFont = &choice;
    record.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
    record.nFontType = SCREEN_FONTTYPE;
    const LoadedLibrary dialogs(kCommonDialogs);
    const auto chooseFont = dialogs.Find<ChooseFontCall>("ChooseFontA");
    if (!chooseFont || !chooseFont(&record)) {
        return false;
    }
    choice.lfHeight = ScaleFromDpi(choice.lfHeight, dpi);
    choice.lfWidth = ScaleFromDpi(choice.lfWidth, dpi);
    *font = choice;
    return true;
}

COLORREF PickColor(HWND owner, COLORREF colour)
{
    COLORREF customColours[16] = {};
    CHOOSECOLORA record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.rgbResult = colour;
    record.lpCustColors = customColours;
    record.Flags = CC_RGBINIT | CC_ANYCOLOR;
    const LoadedLibrary dialogs(kCommonDialogs);
    const auto chooseColor = dialogs.Find<ChooseColorCall>("ChooseColorA");
    return chooseColor && chooseColor(&record) ? record.rgbResult : colour;
}
