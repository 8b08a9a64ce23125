#include "message_box.h"

#include "message_table.h"
#include "wide_text_win.h"

#include <windows.h>

void ShowMessage(MessageKind kind, unsigned index)
{
    const bool error = kind == MessageKind::Error;
    const UINT icon = error ? MB_ICONHAND : MB_ICONINFORMATION;
    MessageBoxCp932(nullptr, MessageTable(index), error ? "エラー情報" : "確認情報",
                    MB_OK | icon | MB_SETFOREGROUND | MB_TOPMOST);
}
