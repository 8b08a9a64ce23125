#include "common_texts.h"

namespace {

// Each Japanese row is the program's text as it always was; file filters keep their
// inner zeros (pairs of name and pattern, ended by an empty name).
constexpr TextRow kRows[] = {
    {"不明", "unknown"},
    {"正常", "good"},
    {"注意", "caution"},
    {"危険", "bad"},

    {"メディアエラー", "media errors"},
    {"代替処理済みのセクタ", "reallocated sectors"},
    {"訂正できなかったエラー", "uncorrected errors"},
    {"コマンドのタイムアウト", "command timeouts"},
    {"代替処理待ちのセクタ", "pending sectors"},
    {"回復できないセクタ", "unrecoverable sectors"},
    {"転送 (CRC) エラー", "transfer (CRC) errors"},
    {"カウント", "count"},

    {"属性 %llu の値 %llu がしきい値 %llu 以下", "attribute %llu at %llu, at or below its threshold %llu"},
    {"ドライブ自身が故障の恐れを報告", "the drive reports that it is failing"},
    {"%s %llu 個", "%s: %llu"},
    {"%sが %llu から %llu に増加", "%s rose from %llu to %llu"},
    {"重大な警告 0x%02llx", "critical warning 0x%02llx"},
    {"寿命の %llu%% を使用", "%llu%% of rated life used"},
    {"予備領域 %llu%% (しきい値 %llu%%)", "available spare %llu%% (threshold %llu%%)"},
    {"属性 %llu は判定できません (この機種では生の値がカウントではありません)",
     "cannot judge attribute %llu (its raw value is not a count on this drive)"},
    {"ドライブの自己診断で異常 (電源投入 %llu 時間)", "the drive's self-test failed at %llu hours"},
    {"ドライブの自己診断で異常 (電源投入 %llu 時間, 最初の不良 LBA %llu)",
     "the drive's self-test failed at %llu hours, first failing LBA %llu"},

    {"エラー情報", "Error"},
    {"確認情報", "Information"},
    {"未定義", "Undefined"},
    {"トレイアイコンファイルの読み込みに失敗しました。", "The tray icon file could not be read."},
    {"タスクトレイアイコンの生成に失敗しました。", "The tray icon could not be created."},
    {"未知のタイマーイベントを検出しました。", "An unknown timer event occurred."},
    {"ソケットライブラリの読み込みに失敗しました。", "The socket library could not be loaded."},
    {"ソケットライブラリの生成に失敗しました。", "The socket library could not be started."},
    {"クライアントソケットのバインドに失敗しました。", "The client socket could not be bound."},
    {"クライアントソケットの送信に失敗しました。", "The client socket could not send."},
    {"ファイルへの書き込みに失敗しました。", "The file could not be written."},

    {"設定画面", "Settings"},
    {"バージョン情報", "About"},
    {"プログラムの終了", "Exit"},
    {"確 認", "OK"},
    {"設 定", "OK"},
    {"中 止", "Cancel"},
    {"トレイアイコンファイルの選択", "Choose the tray icon file"},
    {"トレイアイコンファイル\0*.KVX\0全てのファイル\0*.*\0", "Tray icon files\0*.KVX\0All files\0*.*\0"},
};
static_assert(sizeof kRows / sizeof kRows[0] == static_cast<std::size_t>(CommonText::Count),
              "one row for every common text");

}  // namespace

const char* Text(CommonText id, Language language)
{
    const auto index = static_cast<std::size_t>(id);
    return index < static_cast<std::size_t>(CommonText::Count) ? PickText(kRows[index], language) : "";
}

const char* Text(CommonText id)
{
    const auto index = static_cast<std::size_t>(id);
    return index < static_cast<std::size_t>(CommonText::Count) ? PickText(kRows[index]) : "";
}

const TextRow* CommonTextRows()
{
    return kRows;
}
