#include "error_box.h"

#include "message_table.h"
#include "profile_location.h"
#include "wide_text.h"

#include <cstdio>

void ShowError(HWND owner, unsigned index)
{
    MessageBoxCp932(owner, MessageTable(index), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}

void ShowWriteError(HWND owner, const char* bareName)
{
    MessageBoxCp932(owner, ProfileWriteFailedText(bareName).c_str(), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}

void ShowExportError(HWND owner, unsigned hddtempPort, unsigned metricsPort, const char* listenAddress)
{
    char text[256];
    std::snprintf(text, sizeof text,
        "hddtemp 互換サービス (ポート %u) または Prometheus エンドポイント (ポート %u) を"
        "アドレス「%s」で開始できません。ポートが使用中か、アドレスがこのコンピューターのものではありません。",
        hddtempPort, metricsPort, listenAddress[0] != '\0' ? listenAddress : "すべて");
    MessageBoxA(owner, text, "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
