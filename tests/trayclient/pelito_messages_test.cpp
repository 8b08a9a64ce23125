#include "pelito_messages.h"

#include <gtest/gtest.h>

namespace {

struct MessageCase {
    unsigned index;
    const char* text;
};

TEST(PelitoMessage, Table)
{
    const MessageCase cases[] = {
        {MSG_GLYPHS_FAILED, "トレイアイコンファイルの読み込みに失敗しました。"},
        {MSG_TRAY_ICON_FAILED, "タスクトレイアイコンの生成に失敗しました。"},
        {MSG_UNKNOWN_TIMER, "未知のタイマーイベントを検出しました。"},
        {MSG_SOCKET_LIBRARY_LOAD, "ソケットライブラリの読み込みに失敗しました。"},
        {MSG_SOCKET_LIBRARY_START, "ソケットライブラリの生成に失敗しました。"},
        {MSG_CLIENT_OPEN, "クライアントソケットのバインドに失敗しました。"},
        {MSG_CLIENT_SEND, "クライアントソケットの送信に失敗しました。"},
        {MSG_CLIENT_RECEIVE, "クライアントソケットの受信に失敗しました。"},
        {0, "未定義"},
        {9, "未定義"},
        {0xFFFFFFFFu, "未定義"},
    };
    for (const MessageCase& c : cases) {
        EXPECT_STREQ(PelitoMessage(c.index), c.text) << c.index;
    }
}

}  // namespace
