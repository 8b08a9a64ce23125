#include "error_box.h"

#include "message_table.h"

void ShowError(HWND owner, unsigned index)
{
    MessageBoxA(owner, MessageTable(index), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
