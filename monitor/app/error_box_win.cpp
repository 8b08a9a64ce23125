#include "error_box.h"

#include "message_table.h"
#include "profile_location.h"

void ShowError(HWND owner, unsigned index)
{
    MessageBoxA(owner, MessageTable(index), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}

void ShowWriteError(HWND owner, const char* bareName)
{
    ShowErrorText(owner, ProfileWriteFailedText(bareName).c_str());
}

void ShowErrorText(HWND owner, const char* text)
{
    MessageBoxA(owner, text, "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
