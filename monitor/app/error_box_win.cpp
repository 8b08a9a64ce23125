#include "error_box_win.h"

#include "kelvix_texts.h"
#include "message_table.h"
#include "profile_location_win.h"
#include "wide_text_win.h"

#include <cstdio>

void ShowError(HWND owner, unsigned index)
{
    ShowErrorText(owner, MessageTable(index));
}

void ShowWriteError(HWND owner, const char* bareName)
{
    ShowErrorText(owner, ProfileWriteFailedText(bareName).c_str());
}

void ShowExportError(HWND owner, unsigned hddtempPort, unsigned metricsPort, const char* listenAddress)
{
    char text[256];
    std::snprintf(text, sizeof text, Text(KelvixText::ExportCannotStart), hddtempPort, metricsPort,
        listenAddress[0] != '\0' ? listenAddress : Text(KelvixText::ExportAllAddresses));
    ShowErrorText(owner, text);
}

void ShowErrorText(HWND owner, const char* text)
{
    MessageBoxCp932(owner, text, Text(CommonText::CaptionError), MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
