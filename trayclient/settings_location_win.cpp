#include "settings_location_win.h"

#include "pelito_settings.h"

#include <windows.h>
#include <shlobj.h>

namespace {

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return {};
    }
    return path;
}

std::wstring WindowsFolder()
{
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path) : std::wstring();
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The settings an older PELITO left, the one it saw first: virtualised writes shadow
// the Windows folder's file for the program that made them.
std::wstring OldSettingsFile()
{
    const std::wstring windows = WindowsFolder();
    if (windows.empty()) {
        return {};
    }
    const std::wstring localAppData = KnownFolder(CSIDL_LOCAL_APPDATA);
    const std::size_t colon = windows.find(L':');
    if (!localAppData.empty() && colon != std::wstring::npos) {
        const std::wstring stored = localAppData + L"\\VirtualStore" + windows.substr(colon + 1) + L"\\PELITO.INI";
        if (FileExists(stored)) {
            return stored;
        }
    }
    const std::wstring plain = windows + L"\\PELITO.INI";
    return FileExists(plain) ? plain : std::wstring();
}

// The profile functions take ANSI paths: false when the code page cannot spell it.
bool ToAnsi(const std::wstring& path, std::string& ansi)
{
    BOOL lossy = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) {
        return false;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, &text[0], size, nullptr, &lossy);
    text.resize(static_cast<std::size_t>(size - 1));
    ansi = text;
    return !lossy;
}

}  // namespace

std::string PelitoSettingsFile()
{
    const std::wstring appData = KnownFolder(CSIDL_APPDATA);
    if (appData.empty()) {
        return kPelitoIniFile;
    }
    const std::wstring folder = appData + L"\\PELITO";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return kPelitoIniFile;
    }
    const std::wstring file = folder + L"\\PELITO.INI";
    if (!FileExists(file)) {
        const std::wstring old = OldSettingsFile();
        if (!old.empty()) {
            CopyFileW(old.c_str(), file.c_str(), TRUE);
        }
    }
    std::string ansi;
    if (ToAnsi(file, ansi)) {
        return ansi;
    }
    // A user name the ANSI code page cannot spell: the folder's short name can.
    wchar_t shortFolder[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(folder.c_str(), shortFolder, MAX_PATH);
    if (length > 0 && length < MAX_PATH && ToAnsi(std::wstring(shortFolder) + L"\\PELITO.INI", ansi)) {
        return ansi;
    }
    return kPelitoIniFile;
}
