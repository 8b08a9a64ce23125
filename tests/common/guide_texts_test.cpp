// The English guides name the programs' texts as the English programs show them. A menu,
// button or label text is marked: **Text** in the Markdown guides (a bold list head is a
// heading, not a text), [Text] in the plain read-me (where "section [Name]" is a settings
// file section, not a text). Each marked text must be an English row of a text table;
// Japanese may follow one only as its own Japanese row in brackets, "**Measure now**
// (即時計測)", and appears nowhere else.
#include "common_texts.h"
#include "kelvix_texts.h"
#include "language.h"
#include "pelito_texts.h"
#include "utf8_from_cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Each English row (accelerator marks left out) with the UTF-8 Japanese rows it stands for.
std::multimap<std::string, std::string> EnglishTexts()
{
    std::multimap<std::string, std::string> texts;
    const struct {
        const TextRow* rows;
        std::size_t count;
    } tables[] = {
        {CommonTextRows(), static_cast<std::size_t>(CommonText::Count)},
        {KelvixTextRows(), static_cast<std::size_t>(KelvixText::Count)},
        {PelitoTextRows(), static_cast<std::size_t>(PelitoText::Count)},
    };
    for (const auto& table : tables) {
        for (std::size_t i = 0; i < table.count; ++i) {
            std::string english;
            for (const char* p = table.rows[i].en; *p != '\0'; ++p) {
                if (*p != '&')
                    english += *p;
            }
            texts.emplace(english, Utf8FromCp932(table.rows[i].ja));
        }
    }
    return texts;
}

// Kana, CJK ideographs, their punctuation and the full-width forms.
bool IsJapanese(char32_t c)
{
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

// The offset of the first Japanese character in text from `from` on, or npos.
std::size_t FindJapanese(const std::string& text, std::size_t from = 0)
{
    for (std::size_t at = from; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && at + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
        if (IsJapanese(c))
            return at;
        at += length;
    }
    return std::string::npos;
}

// Whether text[at] is the first thing of a list item ("- " or "1. " after the indent).
bool OpensListItem(const std::string& text, std::size_t at)
{
    const std::size_t lineStart = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;
    std::size_t p = text.find_first_not_of(' ', lineStart);
    if (p < at && text[p] == '-') {
        ++p;
    } else {
        while (p < at && std::isdigit(static_cast<unsigned char>(text[p])))
            ++p;
        if (p < at && text[p] == '.' && p > lineStart && std::isdigit(static_cast<unsigned char>(text[p - 1])))
            ++p;
        else
            return false;
    }
    return p + 1 == at && text[p] == ' ';
}

struct Mark {
    std::size_t begin;  // of the marked text
    std::size_t end;    // past it
    std::size_t after;  // past the closing mark
};

// The marked texts: **Text** (not a bold lead-in: one that ends with a full stop or a
// colon, or opens a list item), or [Text] starting with a capital or a digit, not after
// "section ".
std::vector<Mark> Marks(const std::string& text, bool markdown)
{
    std::vector<Mark> marks;
    const std::string open = markdown ? "**" : "[";
    const std::string close = markdown ? "**" : "]";
    for (std::size_t at = 0; (at = text.find(open, at)) != std::string::npos;) {
        const std::size_t begin = at + open.size();
        const std::size_t end = text.find(close, begin);
        if (end == std::string::npos)
            break;
        const std::string inner = text.substr(begin, end - begin);
        bool marked = !inner.empty();
        if (markdown) {
            const bool ellipsis = inner.size() >= 3 && inner.compare(inner.size() - 3, 3, "...") == 0;
            marked = marked && !((inner.back() == '.' && !ellipsis) || inner.back() == ':');
            marked = marked && !OpensListItem(text, at);
        } else {
            marked = marked && (std::isupper(static_cast<unsigned char>(inner[0])) ||
                                std::isdigit(static_cast<unsigned char>(inner[0])));
            const std::size_t word = text.find_last_not_of(" \n", at - (at > 0 ? 1 : 0));
            marked = marked && !(word != std::string::npos && word >= 6 && text.compare(word - 6, 7, "section") == 0);
        }
        if (marked)
            marks.push_back({begin, end, end + close.size()});
        at = end + close.size();
    }
    return marks;
}

std::size_t LineOf(const std::string& text, std::size_t at)
{
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

// What is wrong in one guide, a line each.
std::vector<std::string> GuideFaults(const std::string& text, bool markdown)
{
    static const std::multimap<std::string, std::string> english = EnglishTexts();
    std::vector<std::string> faults;
    std::vector<std::pair<std::size_t, std::size_t>> allowed;  // the Japanese in brackets
    for (const Mark& mark : Marks(text, markdown)) {
        // A text wrapped onto the next line: the break and its indent are one space.
        std::string inner;
        for (std::size_t at = mark.begin; at < mark.end; ++at) {
            if (text[at] == '\n') {
                inner += ' ';
                while (at + 1 < mark.end && text[at + 1] == ' ')
                    ++at;
            } else {
                inner += text[at];
            }
        }
        const auto rows = english.equal_range(inner);
        const std::string where = "line " + std::to_string(LineOf(text, mark.begin)) + ": ";
        if (rows.first == rows.second) {
            faults.push_back(where + "\"" + inner + "\" is no English text of the programs");
            continue;
        }
        if (text.compare(mark.after, 2, " (") != 0)
            continue;
        const std::size_t close = text.find(')', mark.after);
        const std::string japanese = text.substr(mark.after + 2, close - mark.after - 2);
        if (close == std::string::npos || FindJapanese(japanese) == std::string::npos)
            continue;
        bool same = false;
        for (auto row = rows.first; row != rows.second; ++row)
            same = same || row->second == japanese;
        if (same)
            allowed.emplace_back(mark.after, close);
        else
            faults.push_back(where + "(" + japanese + ") is not the Japanese of \"" + inner + "\"");
    }
    for (std::size_t at = 0; (at = FindJapanese(text, at)) != std::string::npos;) {
        bool inBrackets = false;
        for (const auto& [begin, end] : allowed)
            inBrackets = inBrackets || (at > begin && at < end);
        if (!inBrackets) {
            const std::size_t lineStart = text.rfind('\n', at) + 1;
            faults.push_back("line " + std::to_string(LineOf(text, at)) + ": Japanese outside a marked text: " +
                             text.substr(lineStart, text.find('\n', at) - lineStart));
            at = text.find('\n', at);
            if (at == std::string::npos)
                break;
        } else {
            ++at;
        }
    }
    return faults;
}

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The samples are UTF-8 as the guides are (plain literals are code page 932 here).
TEST(GuideTexts, TheCheckFindsEachFault)
{
    EXPECT_TRUE(GuideFaults(u8"Choose **Measure now** in the tray menu.", true).empty());
    EXPECT_TRUE(GuideFaults(u8"Choose **Measure now** (即時計測) in the tray menu.", true).empty());
    EXPECT_TRUE(GuideFaults(u8"Press **Notifications...**, then **Send a test**.", true).empty());
    EXPECT_TRUE(GuideFaults(u8"**Where it shows.** Here.", true).empty());
    EXPECT_TRUE(GuideFaults(u8"- **Temperature**: a sensor.\n1. **ATA drives** first", true).empty());
    EXPECT_EQ(GuideFaults(u8"- Then **Measure Now**.\n1. Choose **Measure Now**.", true).size(), 2u);
    EXPECT_TRUE(GuideFaults(u8"The **Web page on the metrics port** box.", true).empty());
    EXPECT_TRUE(GuideFaults(u8"Choose [Monitor window]; section [Common], tempquery [options].", false).empty());
    EXPECT_TRUE(GuideFaults(u8"in section\n[Threshold], Reminder=30.", false).empty());
    EXPECT_EQ(GuideFaults(u8"Choose **Measure Now**.", true).size(), 1u);
    EXPECT_EQ(GuideFaults(u8"Choose [Measure right now].", false).size(), 1u);
    // A wrong or Japanese marked text is also Japanese outside the marks.
    EXPECT_EQ(GuideFaults(u8"Choose **Measure now** (計測の停止).", true).size(), 2u);
    EXPECT_EQ(GuideFaults(u8"Choose \"即時計測\" in the tray menu.", true).size(), 1u);
    EXPECT_EQ(GuideFaults(u8"Choose **即時計測**.", true).size(), 2u);
    EXPECT_EQ(GuideFaults(u8"**Measure now** (即時計測), then 「注意」.", true).size(), 1u);
    EXPECT_EQ(GuideFaults(u8"Choose [Measure now] (即時計測).\nIt says \"75℃を超えています\".", false).size(), 1u);
}

TEST(GuideTexts, EnglishGuidesNameTheEnglishTexts)
{
    const std::filesystem::path source = KV_SOURCE_DIR;
    std::vector<std::filesystem::path> guides = {source / "README.md", source / "packaging" / "README-en.txt"};
    for (const auto& entry : std::filesystem::directory_iterator(source / "docs")) {
        if (entry.path().extension() == ".md")
            guides.push_back(entry.path());
    }
    std::size_t marked = 0;
    for (const auto& guide : guides) {
        const std::string text = FileText(guide);
        ASSERT_FALSE(text.empty()) << guide;
        const bool markdown = guide.extension() == ".md";
        marked += Marks(text, markdown).size();
        for (const std::string& fault : GuideFaults(text, markdown))
            ADD_FAILURE() << guide.filename().string() << " " << fault;
    }
    EXPECT_GT(marked, 40u);
}

}  // namespace
