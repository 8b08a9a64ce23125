#include "kelvix_texts.h"

namespace {

constexpr TextRow kRows[] = {
    {"メモリの確保に失敗しました。", "Memory could not be allocated."},
    {"既に起動しています。", "KELVIX is already running."},
    {"データベースファイルの読み込みに失敗しました。", "The database file could not be read."},
    {"スレッドの開始に失敗しました。", "A thread could not be started."},
    {"サーバソケットのバインドに失敗しました。", "The server socket could not be bound."},
    {"サーバソケットのセレクトに失敗しました。", "The server socket could not wait for requests."},
    {"未知のコマンドを受信しました。", "An unknown command was received."},
    {"hddtemp 互換サービス (ポート %u) または Prometheus エンドポイント (ポート %u) を"
     "アドレス「%s」で開始できません。ポートが使用中か、アドレスがこのコンピューターのものではありません。",
     "The hddtemp-compatible service (port %u) or the Prometheus endpoint (port %u) cannot start on "
     "address \"%s\". The port is in use, or the address is not one of this computer's."},
    {"すべて", "all"},

    {"応答するアドレスの %u 番目「%s」は IPv4 アドレスではありません。\n"
     "192.168.1.20 のように 0 ～ 255 の数を 4 つ、ピリオドで区切って入力してください。",
     "Answered address %u, \"%s\", is not an IPv4 address.\n"
     "Enter four numbers from 0 to 255 separated by periods, such as 192.168.1.20."},
    {"応答するアドレスの %u 番目「%s」の / の後ろは 0 ～ 32 の数にしてください。",
     "In answered address %u, \"%s\", the number after / must be from 0 to 32."},
    {"応答するアドレスの %u 番目が空です。アドレスはコンマで区切ってください。",
     "Answered address %u is empty. Separate the addresses with commas."},
    {"応答するアドレスは %u 個までです。", "At most %u answered addresses."},
    {"応答するアドレスは %u 文字までです。", "The answered addresses take at most %u characters."},

    {"即時計測", "Measure now"},
    {"計測の停止", "Stop measuring"},
    {"計測の再開", "Resume measuring"},
    {"温度値を複写", "Copy temperatures"},
    {"「注意」を確認済みにする", "Acknowledge the cautions"},
    {"モニター画面", "Monitor window"},
    {"S.M.A.R.T.画面", "S.M.A.R.T. window"},

    {"%u秒間隔で計測", "Measuring every %u s"},
    {"計測停止中", "Measuring stopped"},
    {"%u℃を超えています", "Above %u °C"},
    {"#%-2u %2u℃ : %s", "#%-2u %2u °C : %s"},
    {"#%-2u %2u℃ : %s (%s)", "#%-2u %2u °C : %s (%s)"},
    {"ほか %u 台", "and %u more"},
    {"#%-2u --℃ : %s (%s)", "#%-2u -- °C : %s (%s)"},
    {"ディスクの健康状態が悪化しました", "A disk's health got worse"},
    {"ディスクの健康状態が回復しました", "A disk's health got better"},
    {"に戻りました", " again"},
    {"に回復しました", ", better than before"},

    {"スリープ中", "asleep"},

    {"最大温度の表示", "Show maximum temperatures"},
    {"位置を固定", "Lock position"},
    {"前面に表示", "Always on top"},
    {"設定を保存", "Save settings"},
    {"閉じる", "Close"},
    {"画面サイズ", "Size"},
    {"元の大きさ", "Full size"},
    {"3/4に縮小", "3/4 size"},
    {"1/2に縮小", "1/2 size"},
    {"1/4に縮小", "1/4 size"},
    {"1/8に縮小", "1/8 size"},
    {"1/16に縮小", "1/16 size"},
    {"位置を移動", "Move to"},
    {"画面の中央", "Centre of the screen"},
    {"画面の左上", "Top left"},
    {"画面の左下", "Bottom left"},
    {"画面の右上", "Top right"},
    {"画面の右下", "Bottom right"},
    {"デバイス名の色", "Drive name colours"},
    {"背景色", "Background"},
    {"文字色", "Text"},
    {"温度値の色", "Temperature colours"},
    {"現在の温度", "Current temperature"},
    {"最大の温度", "Maximum temperature"},
    {"グラフの色", "Graph colours"},
    {"Level0", "Level0"},
    {"Level1", "Level1"},
    {"Level2", "Level2"},
    {"Level3", "Level3"},
    {"Level4", "Level4"},
    {"透明度", "Transparency"},
    {"温度のフォント", "Temperature font"},

    {"KELVIX ハードディスク温度モニタ", "KELVIX disk temperature monitor"},
    {"応答しなかった要求: 許可外 %lu 件 / 回数制限 %lu 件", "Requests not answered: %lu not allowed / %lu too often"},
    {"通知: 届いた %llu 件、届かなかった %llu 件", "Notifications: %llu delivered, %llu not delivered"},
    {"Home Assistant (MQTT): 使わない", "Home Assistant (MQTT): off"},
    {"Home Assistant (MQTT): %s に接続中 (送信 %llu 件)", "Home Assistant (MQTT): connected to %s (%llu sent)"},
    {"Home Assistant (MQTT): %s に未接続", "Home Assistant (MQTT): not connected to %s"},

    {"送信中...", "Sending..."},
    {"届きました: ", "Delivered: "},
    {"届きませんでした: ", "Not delivered: "},
    {"設定に誤りがあります: ", "The settings are wrong: "},
    {"接続しています...", "Connecting..."},
    {"接続できました: ", "Connected: "},
    {"接続できません: ", "Cannot connect: "},

    {"計測と警告", "Measuring"},
    {"ネットワーク", "Network"},
    {"エクスポート", "Export"},
    {"ファイル", "Files"},
    {"通知・MQTT", "Notifications"},
    {"計測間隔", "Interval"},
    {"秒", "s"},
    {"警告温度", "Warning at"},
    {"℃", "°C"},
    {"(%u ～ %u)", "(%u - %u)"},
    {"トレイアイコンに温度を表示しない", "No temperature in the tray icon"},
    {"警告のバルーン表示機能を使う", "Warn with balloons"},
    {"起動時にモニター画面を表示する", "Open the monitor window at start"},
    {"スリープ中のドライブを起こさない", "Do not wake sleeping drives"},
    {"休止中も", "Read asleep every"},
    {"回ごとに計測 (0: しない)", "measurements (0: never)"},
    {"ネットワーク機能を使う", "Answer over the network"},
    {"ポート番号", "Port"},
    {"応答するアドレス (コンマ区切り、CIDR 可)", "Answered addresses (comma-separated, CIDR allowed)"},
    {"応答回数", "Answers"},
    {"回/秒 (0 は無制限)", "per second (0: no limit)"},
    {"hddtemp ポート", "hddtemp port"},
    {"(0 = 使わない)", "(0 = off)"},
    {"Prometheus ポート", "Prometheus port"},
    {"待ち受けアドレス", "Listen address"},
    {"(空欄 = 全て)", "(empty = all)"},
    {"ログ機能を使う", "Write the log"},
    {"ログファイルの選択", "Choose the log file"},
    {"ログファイル\0*.LOG\0全てのファイル\0*.*\0", "Log files\0*.LOG\0All files\0*.*\0"},
    {"データベースファイルの選択", "Choose the drive database file"},
    {"データベースファイル\0*.CFG\0全てのファイル\0*.*\0", "Database files\0*.CFG\0All files\0*.*\0"},
    {"通知...", "Notifications..."},
    {"Home Assistant...", "Home Assistant..."},
    {"通知の設定", "Notifications"},
    {"送り先の URL (http:// または https://、空欄 = 送らない)", "Send to URL (http:// or https://, empty = none)"},
    {"メソッド", "Method"},
    {"本文", "Body"},
    {"ヘッダー (名前: 値)", "Headers (name: value)"},
    {"コマンド (空欄 = 使わない、イベントは環境変数 KELVIX_*)", "Command (empty = none; the event is in KELVIX_* variables)"},
    {"テスト送信", "Send a test"},
    {"ブローカー (空欄 = 使わない)", "Broker (empty = off)"},
    {"ユーザー名", "User name"},
    {"パスワード", "Password"},
    {"TLS を使う (証明書を確認する)", "Use TLS (the certificate is checked)"},
    {"CA ファイル (空欄 = システム)", "CA file (empty = the system's)"},
    {"トピック", "Topic"},
    {"ディスカバリー接頭辞", "Discovery prefix"},
    {"接続テスト", "Test the connection"},
};
static_assert(sizeof kRows / sizeof kRows[0] == static_cast<std::size_t>(KelvixText::Count),
              "one row for every KELVIX text");

}  // namespace

const char* Text(KelvixText id)
{
    const auto index = static_cast<std::size_t>(id);
    return index < static_cast<std::size_t>(KelvixText::Count) ? PickText(kRows[index]) : "";
}

const TextRow* KelvixTextRows()
{
    return kRows;
}
