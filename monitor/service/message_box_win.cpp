#include "message_box.h"

#include "kelvix_texts.h"
#include "message_table.h"
#include "wide_text_win.h"

#include <windows.h>

void ShowMessage(MessageKind kind, unsigned index)
{
    const bool error = kind == MessageKind::Error;
    const UINT icon = error ? MB_ICONHAND : MB_ICONINFORMATION;
    MessageBoxCp932(nullptr, MessageTable(index), Text(error ? CommonText::CaptionError : CommonText::CaptionNotice),
                    MB_OK | icon | MB_SETFOREGROUND | MB_TOPMOST);
}
