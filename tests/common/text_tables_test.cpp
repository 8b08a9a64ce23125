// The language rule and every text table: each text in both languages, no Japanese in
// the English rows, the same printf conversions in both rows of a text, and the program's
// language choosing the row.
#include "common_texts.h"
#include "kelvix_texts.h"
#include "language.h"
#include "pelito_texts.h"
#include "query_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Choice {
    const char* setting;
    std::uint16_t uiLanguage;
    Language expected;
};

// LANGIDs: 0x0411 Japanese (Japan), 0x0409 English (US), 0x0407 German, 0x0804 Chinese.
constexpr Choice kChoices[] = {
    {"auto", 0x0411, Language::Japanese},
    {"auto", 0x0409, Language::English},
    {"auto", 0x0407, Language::English},
    {"auto", 0x0804, Language::English},
    {"auto", 0x0000, Language::English},
    {"", 0x0411, Language::Japanese},
    {nullptr, 0x0411, Language::Japanese},
    {"AUTO", 0x0409, Language::English},
    {"ja", 0x0409, Language::Japanese},
    {"JA", 0x0407, Language::Japanese},
    {"japanese", 0x0409, Language::Japanese},
    {"en", 0x0411, Language::English},
    {"English", 0x0411, Language::English},
    {"jap", 0x0409, Language::English},   // not a value: follows Windows
    {"fr", 0x0411, Language::Japanese},
    {"ja ", 0x0409, Language::English},
};

TEST(LanguageRule, SettingAndWindowsLanguage)
{
    for (const Choice& c : kChoices) {
        EXPECT_EQ(ChooseLanguage(ParseLanguageChoice(c.setting), c.uiLanguage), c.expected)
            << (c.setting ? c.setting : "(null)") << " on " << std::hex << c.uiLanguage;
    }
}

struct Table {
    const char* name;
    const TextRow* rows;
    std::size_t count;
};

const Table kTables[] = {
    {"common", CommonTextRows(), static_cast<std::size_t>(CommonText::Count)},
    {"KELVIX", KelvixTextRows(), static_cast<std::size_t>(KelvixText::Count)},
    {"PELITO", PelitoTextRows(), static_cast<std::size_t>(PelitoText::Count)},
    {"tempquery", QueryTextRows(), static_cast<std::size_t>(QueryText::Count)},
};

TEST(TextTables, EveryRowHasBothLanguagesAndTheSameConversions)
{
    std::size_t rows = 0;
    for (const Table& table : kTables) {
        for (std::size_t i = 0; i < table.count; ++i, ++rows) {
            EXPECT_STREQ(CheckTextRow(table.rows[i]), "") << table.name << " text " << i << ": "
                                                          << (table.rows[i].en ? table.rows[i].en : "(none)");
        }
    }
    EXPECT_GT(rows, 100u);
}

// The MQTT outcomes are filled by mqtt_outcome.cpp, which knows only %s (at most two) and
// %%: any other conversion would be shown as it is.
TEST(TextTables, MqttOutcomesTakeOnlyWords)
{
    for (auto id = static_cast<std::size_t>(kFirstMqttOutcome); id <= static_cast<std::size_t>(kLastMqttOutcome);
         ++id) {
        for (const char* text : {KelvixTextRows()[id].ja, KelvixTextRows()[id].en}) {
            int words = 0;
            for (const char* p = text; (p = std::strchr(p, '%')) != nullptr; p += 2) {
                ASSERT_TRUE(p[1] == 's' || p[1] == '%') << "KELVIX text " << id << ": " << text;
                words += p[1] == 's';
            }
            EXPECT_LE(words, 2) << "KELVIX text " << id << ": " << text;
        }
    }
}

// The check itself, on rows that break each rule.
TEST(TextTables, TheCheckFindsEachFault)
{
    EXPECT_STREQ(CheckTextRow({"正常", "good"}), "");
    EXPECT_STREQ(CheckTextRow({"%u℃を超えています", "Above %u °C"}), "");
    EXPECT_STRNE(CheckTextRow({"正常", nullptr}), "");
    EXPECT_STRNE(CheckTextRow({"正常", ""}), "");
    EXPECT_STRNE(CheckTextRow({"正常", "good (正常)"}), "");
    EXPECT_STRNE(CheckTextRow({"ｶﾅ", "half-width \xB6\xC5"}), "");
    EXPECT_STRNE(CheckTextRow({"%u 件", "%d items"}), "");
    EXPECT_STRNE(CheckTextRow({"%s が %u", "%u for %s"}), "");
    EXPECT_STRNE(CheckTextRow({"%llu%% を使用", "%llu used"}), "");
}

// The Japanese rows are the programs' texts as they were, byte for byte (code page 932).
TEST(TextTables, JapaneseRowsKeepTheirBytes)
{
    SetProgramLanguage(Language::Japanese);
    EXPECT_STREQ(Text(CommonText::CaptionError), "\x83\x47\x83\x89\x81\x5B\x8F\xEE\x95\xF1");  // エラー情報
    EXPECT_STREQ(Text(KelvixText::Sleeping), "スリープ中");
    EXPECT_STREQ(Text(PelitoText::LabelHost), "ホストアドレス");
    SetProgramLanguage(Language::English);
    EXPECT_STREQ(Text(CommonText::CaptionError), "Error");
    EXPECT_STREQ(Text(KelvixText::Sleeping), "asleep");
    EXPECT_STREQ(Text(CommonText::Count), "");
    SetProgramLanguage(Language::Japanese);
}

// Off Windows nothing can show the code page 932 texts: tempquery on Linux speaks English
// whatever it is told.
TEST(LanguageRule, ProgramLanguageOffWindows)
{
    EXPECT_FALSE(CanShowJapanese());
    EXPECT_EQ(ChooseProgramLanguage("ja"), Language::English);
    EXPECT_EQ(ProgramLanguage(), Language::English);
    SetProgramLanguage(Language::Japanese);
}

}  // namespace
