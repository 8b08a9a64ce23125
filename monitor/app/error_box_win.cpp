#include "error_box.h"

#include "message_table.h"
#include "profile_location.h"
#include "wide_text.h"

void ShowError(HWND owner, unsigned index)
{
    MessageBoxCp932(owner, MessageTable(index), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}

void ShowWriteError(HWND owner, const char* bareName)
{
    MessageBoxCp932(owner, ProfileWriteFailedText(bareName).c_str(), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
