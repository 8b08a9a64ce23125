// The message table: indices without a text, and the code page 932 bytes of the texts.
#include "message_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const std::string kUndefined = "\x96\xA2\x92\xE8\x8B\x60";  // "未定義" in code page 932

TEST(MessageTableTest, IndicesOutsideTwoToFifteenAreUndefined)
{
    for (unsigned index : {0u, 1u, 16u, 17u, 1000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(MessageTable(index), kUndefined) << index;
    }
}

TEST(MessageTableTest, EachUsedIndexHasItsOwnText)
{
    std::set<std::string> texts;
    for (unsigned index = 2; index <= 15; ++index) {
        const std::string text = MessageTable(index);
        EXPECT_NE(text, kUndefined) << index;
        EXPECT_TRUE(texts.insert(text).second) << "index " << index << " repeats a text";
    }
}

TEST(MessageTableTest, TextsAreCodePage932Bytes)
{
    struct TextCase {
        unsigned index;
        const char* bytes;
    };
    const TextCase cases[] = {
        // "サーバソケットのバインドに失敗しました。"
        {11, "\x83\x54\x81\x5b\x83\x6f\x83\x5c\x83\x50\x83\x62\x83\x67\x82\xcc\x83\x6f\x83\x43\x83\x93\x83\x68"
             "\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42"},
        // "未知のコマンドを受信しました。"
        {15, "\x96\xa2\x92\x6d\x82\xcc\x83\x52\x83\x7d\x83\x93\x83\x68\x82\xf0\x8e\xf3\x90\x4d\x82\xb5\x82\xdc"
             "\x82\xb5\x82\xbd\x81\x42"},
    };
    for (const TextCase& c : cases) {
        EXPECT_STREQ(MessageTable(c.index), c.bytes) << c.index;
    }
}

} // namespace
