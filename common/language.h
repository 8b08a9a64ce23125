// Which language the programs speak: Japanese on a Windows whose user-interface language
// is Japanese, English everywhere else, unless the settings force one. Every text a user
// reads comes from a table of {Japanese, English} rows (common_texts.h and one table per
// program) through the program's language chosen here once at start.
#pragma once

#include <cstdint>

enum class Language : std::uint8_t { Japanese, English };

// The setting's value ([Common] Language=): "ja" or "en" force one; "auto", empty and
// anything else follow Windows.
enum class LanguageChoice : std::uint8_t { Auto, Japanese, English };
LanguageChoice ParseLanguageChoice(const char* text);

// The language for a choice and a Windows language id (LANGID: primary language in the
// low ten bits; LANG_JAPANESE is 0x11). Anything but Japanese reads English.
Language ChooseLanguage(LanguageChoice choice, std::uint16_t uiLanguage);

// The user-interface language of this Windows (GetUserDefaultUILanguage); 0 off Windows.
std::uint16_t SystemUiLanguage();
// Whether the program's output can show the Japanese texts (code page 932 bytes): on
// Windows, where they pass to the system in UTF-16; not on a Linux terminal.
bool CanShowJapanese();

// The program's language: Japanese (the texts as they always were) until chosen. Chosen
// once before any window opens; later choices take effect for texts made after them.
void SetProgramLanguage(Language language);
Language ProgramLanguage();
// ChooseLanguage(ParseLanguageChoice(setting), SystemUiLanguage()) made the program's;
// English where Japanese cannot be shown.
Language ChooseProgramLanguage(const char* setting);

// One text in both languages, as code page 932 bytes (the sources are compiled to it).
struct TextRow {
    const char* ja;
    const char* en;
};
// The row's text in the program's language, or in the one asked for.
const char* PickText(const TextRow& row);
const char* PickText(const TextRow& row, Language language);

// Checks a table of rows, for the tests: the Japanese row and the English row of every
// text are present, the English one holds no Japanese character (only ASCII, ° and ℃),
// and both have the same printf conversions in the same order. Returns the first problem
// in words, or an empty text.
const char* CheckTextRow(const TextRow& row);
