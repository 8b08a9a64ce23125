#include "error_box_win.h"

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
    std::snprintf(text, sizeof text,
        "hddtemp 互換サービス (ポート %u) または Prometheus エンドポイント (ポート %u) を"
        "アドレス「%s」で開始できません。ポートが使用中か、アドレスがこのコンピューターのものではありません。",
        hddtempPort, metricsPort, listenAddress[0] != '\0' ? listenAddress : "すべて");
    ShowErrorText(owner, text);
}

void ShowErrorText(HWND owner, const char* text)
{
    MessageBoxCp932(owner, text, "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
