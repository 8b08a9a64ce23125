#include "pelito_texts.h"

namespace {

constexpr TextRow kRows[] = {
    {"アドレス   : %s:%u\n"
     "デバイス   : %u\n"
     "バージョン : %s\n"
     "シリアル   : %s\n"
     "現在の温度 : %u℃\n"
     "最大の温度 : %u℃",
     "Address  : %s:%u\n"
     "Drive    : %u\n"
     "Firmware : %s\n"
     "Serial   : %s\n"
     "Now      : %u °C\n"
     "Maximum  : %u °C"},
    {"\n健康状態   : ", "\nHealth   : "},
    {"%s から応答なし", "not answering since %s"},
    {"クライアントソケットの受信に失敗しました。", "The client socket could not receive."},
    {"PELITO ハードディスク温度トレイクライアント", "PELITO hard disk temperature tray client"},
    {"ホストアドレス", "Host address"},
    {"ポート番号", "Port"},
    {"タイムアウト", "Timeout"},
    {"秒 (%u ～ %u)", "s (%u - %u)"},
    {"計測周期", "Interval"},
    {"秒 (%u ～ %u)", "s (%u - %u)"},
    {"警告温度", "Warning at"},
    {"℃ (%u ～ %u)", "°C (%u - %u)"},
    {"トレイアイコンファイル", "Tray icon file"},
    {"%s:%u から応答がありません (%u 回)", "%s:%u did not answer (%u tries)"},
    {"%s:%u に拒否されました (%u 回)", "%s:%u refused the request (%u tries)"},
    {"%s:%u の応答は温度の報告ではありません (%u 回)", "%s:%u answered with something that is no report (%u tries)"},
    {"PELITO.INI の %s=%u は範囲 (%u ～ %u) の外なので「設定」で %u にします",
     "%s=%u in PELITO.INI is outside %u - %u; Apply saves %u"},
};
static_assert(sizeof kRows / sizeof kRows[0] == static_cast<std::size_t>(PelitoText::Count),
              "one row for every PELITO text");

}  // namespace

const char* Text(PelitoText id)
{
    const auto index = static_cast<std::size_t>(id);
    return index < static_cast<std::size_t>(PelitoText::Count) ? PickText(kRows[index]) : "";
}

const TextRow* PelitoTextRows()
{
    return kRows;
}
