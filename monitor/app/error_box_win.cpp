#include "error_box.h"

#include "message_table.h"

#include <string>

void ShowError(HWND owner, unsigned index)
{
    MessageBoxA(owner, MessageTable(index), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}

void ShowWriteError(HWND owner, const char* file)
{
    std::string text = "ファイルへの書き込みに失敗しました。\r\n";
    text += file;
    MessageBoxA(owner, text.c_str(), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
