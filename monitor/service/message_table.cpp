#include "message_table.h"

namespace {

constexpr unsigned kFirstIndex = 2;
constexpr unsigned kLastIndex = 15;

constexpr const char* kTexts[kLastIndex - kFirstIndex + 1] = {
    "メモリの確保に失敗しました。",
    "既に起動しています。",
    "データベースファイルの読み込みに失敗しました。",
    "トレイアイコンファイルの読み込みに失敗しました。",
    "タスクトレイアイコンの生成に失敗しました。",
    "未知のタイマーイベントを検出しました。",
    "スレッドの開始に失敗しました。",
    "ソケットライブラリの読み込みに失敗しました。",
    "ソケットライブラリの生成に失敗しました。",
    "サーバソケットのバインドに失敗しました。",
    "サーバソケットのセレクトに失敗しました。",
    "クライアントソケットのバインドに失敗しました。",
    "クライアントソケットの送信に失敗しました。",
    "未知のコマンドを受信しました。",
};

} // namespace

const char* MessageTable(unsigned index)
{
    if (index < kFirstIndex || index > kLastIndex) {
        return "未定義";
    }
    return kTexts[index - kFirstIndex];
}
