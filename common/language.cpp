#include "language.h"

#include <atomic>
#include <cstring>
#include <string>

namespace {

constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;
constexpr std::uint16_t kLangJapanese = 0x11;

std::atomic<Language> g_language{Language::Japanese};

bool SameWord(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        if (x != *b) {
            return false;
        }
    }
    return *a == *b;
}

// The printf conversions of a format, flags and width included ("%-2u", "%llu", "%%").
std::string Conversions(const char* text)
{
    std::string found;
    for (const char* p = text; *p; ++p) {
        if (*p != '%') {
            continue;
        }
        const char* end = p + 1;
        while (*end && std::strchr("-+ #0123456789.hlLzjt", *end)) {
            ++end;
        }
        if (*end == '\0') {
            found.append(p);
            break;
        }
        found.append(p, end + 1);
        found += ' ';
        p = end;
    }
    return found;
}

// Code page 932 bytes of the two symbols an English text may hold besides ASCII.
bool AllowedSymbol(const unsigned char* p)
{
    return p[0] == 0x81 && (p[1] == 0x8B || p[1] == 0x8E);  // ° and ℃
}

}  // namespace

LanguageChoice ParseLanguageChoice(const char* text)
{
    if (!text) {
        return LanguageChoice::Auto;
    }
    if (SameWord(text, "ja") || SameWord(text, "japanese")) {
        return LanguageChoice::Japanese;
    }
    if (SameWord(text, "en") || SameWord(text, "english")) {
        return LanguageChoice::English;
    }
    return LanguageChoice::Auto;
}

Language ChooseLanguage(LanguageChoice choice, std::uint16_t uiLanguage)
{
    switch (choice) {
    case LanguageChoice::Japanese:
        return Language::Japanese;
    case LanguageChoice::English:
        return Language::English;
    case LanguageChoice::Auto:
        break;
    }
    return (uiLanguage & kPrimaryLanguageMask) == kLangJapanese ? Language::Japanese : Language::English;
}

void SetProgramLanguage(Language language)
{
    g_language.store(language, std::memory_order_relaxed);
}

Language ProgramLanguage()
{
    return g_language.load(std::memory_order_relaxed);
}

Language ChooseProgramLanguage(const char* setting)
{
    const Language chosen = ChooseLanguage(ParseLanguageChoice(setting), SystemUiLanguage());
    const Language language = CanShowJapanese() ? chosen : Language::English;
    SetProgramLanguage(language);
    return language;
}

const char* PickText(const TextRow& row)
{
    return PickText(row, ProgramLanguage());
}

const char* PickText(const TextRow& row, Language language)
{
    return language == Language::Japanese ? row.ja : row.en;
}

const char* CheckTextRow(const TextRow& row)
{
    if (!row.ja || !row.en) {
        return "a language is missing";
    }
    if ((row.ja[0] == '\0') != (row.en[0] == '\0')) {
        return "one language is empty";
    }
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(row.en); *p; ++p) {
        if (*p >= 0x80) {
            if (!AllowedSymbol(p)) {
                return "the English text holds a Japanese character";
            }
            ++p;
        }
    }
    if (Conversions(row.ja) != Conversions(row.en)) {
        return "the two languages' conversions differ";
    }
    return "";
}
