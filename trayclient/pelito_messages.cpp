#include "pelito_messages.h"

namespace {
constexpr const char* kTexts[] = {
    "トレイアイコンファイルの読み込みに失敗しました。",
    "タスクトレイアイコンの生成に失敗しました。",
    "未知のタイマーイベントを検出しました。",
    "ソケットライブラリの読み込みに失敗しました。",
    "ソケットライブラリの生成に失敗しました。",
    "クライアントソケットのバインドに失敗しました。",
    "クライアントソケットの送信に失敗しました。",
    "クライアントソケットの受信に失敗しました。",
};
constexpr unsigned kTextCount = sizeof kTexts / sizeof kTexts[0];
}  // namespace

const char* PelitoMessage(unsigned index)
{
    return index >= 1 && index <= kTextCount ? kTexts[index - 1] : "未定義";
}
