// Our profile engine against the platform's own profile functions, in one process under
// Wine, on a generated set of INI files with odd spacing, mixed-case names and every kind
// of line end:
//   - every read of a generated file gives the same answer from both;
//   - a section read gives the same lines from both, and the section cache answers each
//     key as that implementation's own key reads do;
//   - the same writes applied by each to a copy of a file leave files that both readers
//     read the same, so a file written by either is read back alike by the other.
// The files are not compared byte for byte: the platform rewrites a file from its own
// model (blank lines dropped, spacing normalised), our engine keeps untouched lines.
// Two writes that differ on purpose are left out: names with trailing white space (the
// platform keeps them on the names it creates until it reads the file again), and an
// empty section write on a missing section (our engine creates the header, which
// INIFILE::Create relies on; the platform writes nothing).
#include "profile_document.h"
#include "profile_engine.h"
#include "profile_section.h"
#include "temp_dir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kSeed = 0x4B454C564958ULL;
// Every profile call goes to the file under Wine, so the set is sized to run in about
// twenty seconds: the files vary widely, the reads of each file are sampled.
constexpr int kReadFiles = 200;
constexpr int kWriteFiles = 80;
constexpr int kSectionFiles = 60;
constexpr std::size_t kKeysPerSection = 5;
constexpr int kReportedDisagreements = 15;

// xorshift64*: the same sequence with every compiler and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint32_t Next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<std::uint32_t>((state_ * 2685821657736338717ULL) >> 32);
    }
    std::size_t Below(std::size_t n) { return Next() % n; }
    bool Percent(unsigned percent) { return Below(100) < percent; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N])
    {
        return items[Below(N)];
    }

private:
    std::uint64_t state_;
};

// Names the system itself uses, some with inner spaces, code page 932 text and
// full-width letters (which have a case of their own).
const char* const kSectionNames[] = {
    "Common", "Timer", "Information", "Worst", "Network", "Two Words", "x", "設定", "ＡＢｃ", "127.0.0.1",
};
const char* const kKeyNames[] = {
    "UseLog", "LogFile", "Current", "Maximum", "Port", "Font", "ColorGrphLevel0",
    "Alpha", "key with spaces", "NA", "温度", "ＡＢｃ", "a",
};
const char* const kFixedValues[] = {
    "", "0", "12", "-5", "+7", "0x0a", "0x0000000a", "0xffffffff", "4000000000", "12abc", "abc",
    "KELVIX.LOG", "C:\\Program Files\\KELVIX\\HDDATA.CFG", "a  b", "%d", "N/A", "1.500000",
    "\"quoted value\"", "'single'", "\"unmatched", "\"\"", "'", "\"a\"b\"", "\" padded \"",
    "a=b", "x ; y", "[not a section]", "テスト", "温度計", "-14,0,0,0,400,0,0,0,0,0,0,0,0,Arial",
    "255,128,0", "=",
};

// Names and values the section cache takes as they stand, for files it can answer.
const char* const kPlainKeyNames[] = {"UseLog", "LogFile", "Current", "Maximum", "Port", "Font", "ColorGrphLevel0",
                                      "Alpha", "NA", "a"};
const char* const kPlainValues[] = {
    "", "0", "12", "-5", "+7", "0x0a", "0xffffffff", "4000000000", "12abc", "abc", "KELVIX.LOG",
    "C:\\Program Files\\KELVIX\\HDDATA.CFG", "a  b", "%d", "N/A", "1.500000", "a=b", "x ; y",
    "-14,0,0,0,400,0,0,0,0,0,0,0,0,Arial", "255,128,0", "=", "0000000000000000000000000000000042",
};

std::string Spaces(Random& random, std::size_t most)
{
    static const char kBlanks[] = {' ', ' ', '\t'};
    std::string text;
    for (std::size_t count = random.Below(most + 1); count > 0; --count) {
        text += random.Pick(kBlanks);
    }
    return text;
}

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The same name in another case: ASCII letters, and the full-width letters of code page
// 932 (0x82 0x60.. upper, 0x82 0x81.. lower).
std::string OtherCase(Random& random, const std::string& name)
{
    std::string text = name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(b) && i + 1 < text.size()) {
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            if (b == 0x82 && random.Percent(50)) {
                if (trail >= 0x60 && trail <= 0x79) {
                    text[i + 1] = static_cast<char>(trail + 0x21);
                } else if (trail >= 0x81 && trail <= 0x9A) {
                    text[i + 1] = static_cast<char>(trail - 0x21);
                }
            }
            ++i;
        } else if (random.Percent(50)) {
            if (b >= 'a' && b <= 'z') {
                text[i] = static_cast<char>(b - 'a' + 'A');
            } else if (b >= 'A' && b <= 'Z') {
                text[i] = static_cast<char>(b - 'A' + 'a');
            }
        }
    }
    return text;
}

std::string Value(Random& random, bool plainLeaning = false)
{
    if (plainLeaning) {
        // Values the key reads change (quotes taken off) or cut apart from the section
        // read (double-byte characters): a section holding one must not be answered.
        static const char* const kNearlyPlain[] = {"\"quoted value\"", "'single'", "\"\"", "\" padded \"", "テスト"};
        return random.Percent(85) ? random.Pick(kPlainValues) : random.Pick(kNearlyPlain);
    }
    if (random.Percent(12)) {
        std::string text;
        for (std::size_t count = 100 + random.Below(600); count > 0; --count) {
            text += static_cast<char>(random.Percent(10) ? ' ' : 'a' + random.Below(26));
        }
        return text;
    }
    return random.Pick(kFixedValues);
}

enum class LineEnds { CrLf, Lf, Cr, CrLfAndLf, AnyMix, Count };

const char* LineEnd(Random& random, LineEnds style)
{
    switch (style) {
    case LineEnds::CrLf:
        return "\r\n";
    case LineEnds::Lf:
        return "\n";
    case LineEnds::Cr:
        return "\r";
    case LineEnds::CrLfAndLf:
        return random.Percent(50) ? "\r\n" : "\n";
    default: {
        static const char* const kEnds[] = {"\r\n", "\n", "\r", "\n\r", "\r\r\n"};
        return random.Pick(kEnds);
    }
    }
}

struct GeneratedFile {
    std::string bytes;
    std::vector<std::string> sections;  // names used, as in the pools
    std::vector<std::string> keys;
};

void AddName(std::vector<std::string>* names, const std::string& name)
{
    for (const std::string& known : *names) {
        if (known == name) {
            return;
        }
    }
    names->push_back(name);
}

std::string KeyLine(Random& random, const std::string& key, bool plainLeaning)
{
    return Spaces(random, 2) + OtherCase(random, key) + Spaces(random, 3) + "=" + Spaces(random, 3) +
           Value(random, plainLeaning) + Spaces(random, 2);
}

// plainLeaning: mostly the names and values the section cache answers.
GeneratedFile Generate(Random& random, bool plainLeaning = false)
{
    const auto pickKey = [&]() -> std::string {
        return plainLeaning ? random.Pick(kPlainKeyNames) : random.Pick(kKeyNames);
    };
    GeneratedFile file;
    const auto style = static_cast<LineEnds>(random.Below(static_cast<std::size_t>(LineEnds::Count)));
    std::vector<std::string> lines;
    const std::size_t sectionCount = 1 + random.Below(5);
    for (std::size_t s = 0; s <= sectionCount; ++s) {
        std::vector<std::string> sectionKeys;
        if (s > 0) {
            const std::string name = random.Pick(kSectionNames);
            AddName(&file.sections, name);
            std::string header = Spaces(random, 2) + "[" + Spaces(random, 1) + OtherCase(random, name) +
                                 Spaces(random, 1) + "]";
            if (random.Percent(10)) {
                header += " ; note";
            }
            lines.push_back(header + Spaces(random, 2));
        } else if (random.Percent(70)) {
            continue;  // most files start with a header
        }
        for (std::size_t count = random.Below(7); count > 0; --count) {
            const std::size_t kind = random.Below(100);
            if (kind < 65) {
                const std::string key = pickKey();
                AddName(&file.keys, key);
                AddName(&sectionKeys, key);
                lines.push_back(KeyLine(random, key, plainLeaning));
            } else if (kind < 72 && !sectionKeys.empty()) {  // the same key again
                lines.push_back(KeyLine(random, sectionKeys[random.Below(sectionKeys.size())], plainLeaning));
            } else if (kind < 82) {
                lines.push_back(Spaces(random, 2) + (random.Percent(50) ? "; " : ";") +
                                random.Pick(kKeyNames) + "=" + Value(random));
            } else if (kind < 92) {
                lines.push_back(Spaces(random, 3));
            } else {
                const std::string key = pickKey();
                AddName(&file.keys, key);
                lines.push_back(Spaces(random, 1) + OtherCase(random, key) + Spaces(random, 1));
            }
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        file.bytes += lines[i];
        if (i + 1 < lines.size() || random.Percent(85)) {
            file.bytes += LineEnd(random, style);
        }
    }
    if (random.Percent(5)) {
        file.bytes += '\x1a';
    }
    return file;
}

std::string Escaped(const std::string& bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (b < 0x20 || b >= 0x7F || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            text += hex;
        } else {
            text += c;
        }
    }
    return text;
}

// One of the two implementations of the profile functions.
struct Profile {
    const char* name;
    std::uint32_t (*getString)(const char*, const char*, const char*, char*, std::uint32_t, const char*);
    std::int32_t (*getInt)(const char*, const char*, std::int32_t, const char*);
    bool (*writeString)(const char*, const char*, const char*, const char*);
    bool (*writeSection)(const char*, const char*, const char*);
    ProfileSection::Reader getSection;
};

const Profile kPlatform = {
    "platform",
    [](const char* section, const char* key, const char* def, char* buffer, std::uint32_t size, const char* file) {
        return static_cast<std::uint32_t>(GetPrivateProfileStringA(section, key, def, buffer, size, file));
    },
    [](const char* section, const char* key, std::int32_t def, const char* file) {
        return static_cast<std::int32_t>(GetPrivateProfileIntA(section, key, def, file));
    },
    [](const char* section, const char* key, const char* value, const char* file) {
        return WritePrivateProfileStringA(section, key, value, file) != FALSE;
    },
    [](const char* section, const char* lines, const char* file) {
        return WritePrivateProfileSectionA(section, lines, file) != FALSE;
    },
    [](const char* section, char* buffer, std::uint32_t size, const char* file) {
        return static_cast<std::uint32_t>(GetPrivateProfileSectionA(section, buffer, size, file));
    },
};

const Profile kEngine = {
    "engine",
    profile_engine::GetString,
    profile_engine::GetInt,
    profile_engine::WriteString,
    profile_engine::WriteSection,
    profile_engine::GetSection,
};

// A read: a value (with a large and a small buffer, and as an integer), the key names
// of a section (null key) or the section names (null section).
struct Query {
    std::string section;
    std::string key;
    bool listSections = false;
    bool listKeys = false;
    bool sectionLines = false;
    std::uint32_t smallSize = 8;

    std::string Describe() const
    {
        if (listSections) {
            return "section names";
        }
        if (listKeys) {
            return "keys of [" + Escaped(section) + "]";
        }
        if (sectionLines) {
            return "lines of [" + Escaped(section) + "] (small buffer " + std::to_string(smallSize) + ")";
        }
        return "[" + Escaped(section) + "] " + Escaped(key) + " (small buffer " + std::to_string(smallSize) + ")";
    }
};

// Everything the implementation answers to the query, as one text to compare.
std::string Answer(const Profile& profile, const Query& query, const std::string& file)
{
    static char buffer[8192];
    // Where a value is cut inside a double-byte character the platform leaves that byte
    // as the caller's buffer had it (the engine writes NUL), so short reads start zeroed.
    const auto read = [&](const char* section, const char* key, std::uint32_t size, std::size_t terminators) {
        std::memset(buffer, size < sizeof buffer ? '\0' : '#', sizeof buffer);
        const std::uint32_t count = profile.getString(section, key, "<def>  ", buffer, size, file.c_str());
        const std::size_t shown = std::min<std::size_t>(count + terminators, size);
        return std::to_string(count) + "|" + std::string(buffer, shown);
    };
    if (query.listSections) {
        return read(nullptr, nullptr, sizeof buffer, 2);
    }
    if (query.listKeys) {
        return read(query.section.c_str(), nullptr, sizeof buffer, 2);
    }
    if (query.sectionLines) {
        const auto lines = [&](std::uint32_t size) {
            std::memset(buffer, '#', sizeof buffer);
            const std::uint32_t count = profile.getSection(query.section.c_str(), buffer, size, file.c_str());
            return std::to_string(count) + "|" + std::string(buffer, std::min<std::size_t>(count + 2, size));
        };
        return lines(sizeof buffer) + " / " + lines(query.smallSize);
    }
    const char* section = query.section.c_str();
    const char* key = query.key.c_str();
    return read(section, key, sizeof buffer, 1) + " / " + read(section, key, query.smallSize, 1) + " / " +
           std::to_string(profile.getInt(section, key, 12345, file.c_str()));
}

// Queries for every section name of the pools and for some of their key names, in
// another case and spacing, and for missing names.
std::vector<Query> Queries(Random& random, const std::vector<std::string>& sections,
                           const std::vector<std::string>& keys)
{
    std::vector<Query> queries;
    Query names;
    names.listSections = true;
    queries.push_back(names);
    std::vector<std::string> allSections = sections;
    allSections.push_back("Missing");
    allSections.push_back("");
    std::vector<std::string> allKeys = keys;
    allKeys.push_back("NoSuchKey");
    for (const std::string& section : allSections) {
        const std::string asked = Spaces(random, 1) + OtherCase(random, section) + Spaces(random, 1);
        Query list;
        list.section = asked;
        list.listKeys = true;
        queries.push_back(list);
        Query lines;
        lines.section = asked;
        lines.sectionLines = true;
        lines.smallSize = static_cast<std::uint32_t>(2 + random.Below(30));
        queries.push_back(lines);
        for (std::size_t n = 0; n < kKeysPerSection; ++n) {
            const std::string& key = allKeys[random.Below(allKeys.size())];
            Query value;
            value.section = asked;
            value.key = Spaces(random, 1) + OtherCase(random, key) + Spaces(random, 1);
            value.smallSize = static_cast<std::uint32_t>(1 + random.Below(24));
            queries.push_back(value);
        }
    }
    return queries;
}

class ProfileAgreement : public ::testing::Test {
protected:
    void TearDown() override
    {
        std::cout << "[ figures  ] " << files_ << " files, " << compared_ << " reads compared, " << disagreements_
                  << " disagreements" << std::endl;
    }

    // Counts (and reports the first few of) the answers that differ from the first one.
    void Agree(const std::vector<std::pair<std::string, std::string>>& answers, const std::string& context)
    {
        ++compared_;
        for (const auto& answer : answers) {
            if (answer.second != answers.front().second) {
                ++disagreements_;
                if (disagreements_ <= kReportedDisagreements) {
                    std::string message = context;
                    for (const auto& each : answers) {
                        message += "\n    " + each.first + ": " + Escaped(each.second);
                    }
                    ADD_FAILURE() << message;
                }
                return;
            }
        }
    }

    TempDir dir_;
    int files_ = 0;
    long compared_ = 0;
    long disagreements_ = 0;
};

TEST_F(ProfileAgreement, GeneratedFilesReadTheSame)
{
    Random random(kSeed);
    for (int n = 0; n < kReadFiles; ++n) {
        const GeneratedFile generated = Generate(random);
        // A fresh name for every file: the platform caches the files it has read.
        const std::string file = dir_.File("read" + std::to_string(n) + ".ini");
        WriteBytes(file, generated.bytes);
        ++files_;
        for (const Query& query : Queries(random, generated.sections, generated.keys)) {
            Agree({{kPlatform.name, Answer(kPlatform, query, file)}, {kEngine.name, Answer(kEngine, query, file)}},
                  "file " + std::to_string(n) + " \"" + Escaped(generated.bytes) + "\", " + query.Describe());
        }
    }
    EXPECT_EQ(disagreements_, 0);
}

// The reads INIFILE makes of a key (a text with a large and a small buffer, an integer),
// from the key's own calls or from the section cache; empty when the cache declines.
std::string KeyReads(const Profile& profile, const ProfileSection* cache, const std::string& section,
                     const std::string& key, const char* def, std::uint32_t smallSize, const std::string& file)
{
    static char buffer[8192];
    const auto text = [&](std::uint32_t size) -> std::string {
        std::memset(buffer, '#', sizeof buffer);
        if (cache == nullptr) {
            profile.getString(section.c_str(), key.c_str(), def, buffer, size, file.c_str());
        } else if (!cache->GetString(key.c_str(), def, buffer, size)) {
            return std::string();
        }
        return std::string(buffer, std::min<std::size_t>(std::strlen(buffer) + 1, size));
    };
    std::int32_t number = 0;
    if (cache == nullptr) {
        number = profile.getInt(section.c_str(), key.c_str(), 12345, file.c_str());
    } else if (!cache->GetInt(key.c_str(), 12345, &number)) {
        return std::string();
    }
    const std::string large = text(sizeof buffer);
    const std::string small = text(smallSize);
    if (large.empty() || small.empty()) {
        return std::string();
    }
    return large + " / " + small + " / " + std::to_string(number);
}

TEST_F(ProfileAgreement, SectionCacheAnswersAsKeyReads)
{
    static const char* const kDefaults[] = {"dflt", "", "pad  "};
    Random random(kSeed + 2);
    long answered = 0;
    for (int n = 0; n < kSectionFiles; ++n) {
        const GeneratedFile generated = Generate(random, true);
        const std::string file = dir_.File("section" + std::to_string(n) + ".ini");
        WriteBytes(file, generated.bytes);
        ++files_;
        std::vector<std::string> keys = generated.keys;
        keys.push_back("NoSuchKey");
        for (const std::string& name : generated.sections) {
            const std::string section = OtherCase(random, name);
            for (const Profile* profile : {&kPlatform, &kEngine}) {
                const ProfileSection cache = ProfileSection::Read(section.c_str(), file.c_str(), profile->getSection);
                for (const std::string& key : keys) {
                    const std::string asked = OtherCase(random, key);
                    const char* def = random.Pick(kDefaults);
                    const auto smallSize = static_cast<std::uint32_t>(1 + random.Below(24));
                    const std::string cached = KeyReads(*profile, &cache, section, asked, def, smallSize, file);
                    if (cached.empty()) {
                        continue;
                    }
                    ++answered;
                    Agree({{"key reads", KeyReads(*profile, nullptr, section, asked, def, smallSize, file)},
                           {"section cache", cached}},
                          std::string(profile->name) + ", file " + std::to_string(n) + " \"" +
                              Escaped(generated.bytes) + "\", [" + Escaped(section) + "] " + Escaped(asked) +
                              " default \"" + def + "\" (small buffer " + std::to_string(smallSize) + ")");
                }
            }
        }
    }
    std::cout << "[ figures  ] " << answered << " key reads answered by the section cache" << std::endl;
    EXPECT_GT(answered, kSectionFiles);
    EXPECT_EQ(disagreements_, 0);
}

// One write, applied alike by either implementation.
struct Write {
    enum Kind { Value, DeleteKey, DeleteSection, Section } kind;
    std::string section;
    std::string key;
    std::string value;  // Value: the value; Section: "key=value" entries, NUL-separated

    std::string Describe() const
    {
        static const char* const kKinds[] = {"set", "delete key", "delete section", "replace section"};
        return std::string(kKinds[kind]) + " [" + Escaped(section) + "] " + Escaped(key) + " " + Escaped(value);
    }
    bool Apply(const Profile& profile, const std::string& file) const
    {
        switch (kind) {
        case Value:
            return profile.writeString(section.c_str(), key.c_str(), value.c_str(), file.c_str());
        case DeleteKey:
            return profile.writeString(section.c_str(), key.c_str(), nullptr, file.c_str());
        case DeleteSection:
            return profile.writeString(section.c_str(), nullptr, nullptr, file.c_str());
        case Section:
            break;
        }
        const std::string lines = value + '\0';
        return profile.writeSection(section.c_str(), lines.c_str(), file.c_str());
    }
};

bool HasSection(const std::string& file, const std::string& name)
{
    for (const std::string& section : ProfileDocument(ReadBytes(file)).SectionNames()) {
        if (ProfileDocument::SameName(section, ProfileDocument::Trim(name))) {
            return true;
        }
    }
    return false;
}

Write RandomWrite(Random& random, std::vector<std::string>* sections, std::vector<std::string>* keys)
{
    Write write{};
    const std::string section = random.Pick(kSectionNames);
    const std::string key = random.Pick(kKeyNames);
    AddName(sections, section);
    AddName(keys, key);
    write.section = Spaces(random, 1) + OtherCase(random, section);
    write.key = Spaces(random, 1) + OtherCase(random, key);
    const std::size_t kind = random.Below(100);
    if (kind < 70) {
        write.kind = Write::Value;
        write.value = Spaces(random, 1) + Value(random);
    } else if (kind < 82) {
        write.kind = Write::DeleteKey;
    } else if (kind < 88) {
        write.kind = Write::DeleteSection;
    } else {
        write.kind = Write::Section;
        for (std::size_t count = random.Below(4); count > 0; --count) {
            const std::string entryKey = random.Pick(kKeyNames);
            AddName(keys, entryKey);
            write.value += OtherCase(random, entryKey) + "=" + Spaces(random, 1) + Value(random) + '\0';
        }
    }
    return write;
}

TEST_F(ProfileAgreement, WrittenFilesReadTheSameByBoth)
{
    Random random(kSeed + 1);
    for (int n = 0; n < kWriteFiles; ++n) {
        GeneratedFile generated = Generate(random);
        const std::string base = "write" + std::to_string(n);
        const std::string byPlatform = dir_.File(base + "-platform.ini");
        const std::string byEngine = dir_.File(base + "-engine.ini");
        WriteBytes(byPlatform, generated.bytes);
        WriteBytes(byEngine, generated.bytes);
        std::string context = "file " + std::to_string(n) + " \"" + Escaped(generated.bytes) + "\"";
        for (std::size_t count = 1 + random.Below(6); count > 0; --count) {
            const Write write = RandomWrite(random, &generated.sections, &generated.keys);
            if (write.kind == Write::Section && write.value.empty() && !HasSection(byPlatform, write.section)) {
                continue;  // an empty section write on a missing section: see above
            }
            context += "\n  " + write.Describe();
            const bool platformResult = write.Apply(kPlatform, byPlatform);
            const bool engineResult = write.Apply(kEngine, byEngine);
            EXPECT_EQ(platformResult, engineResult) << context;
        }
        // Read back under fresh names, so the platform reads the bytes and not its cache.
        const std::string platformCopy = dir_.File(base + "-platform-copy.ini");
        const std::string engineCopy = dir_.File(base + "-engine-copy.ini");
        const std::string platformBytes = ReadBytes(byPlatform);
        const std::string engineBytes = ReadBytes(byEngine);
        WriteBytes(platformCopy, platformBytes);
        WriteBytes(engineCopy, engineBytes);
        files_ += 2;
        context += "\n  platform wrote \"" + Escaped(platformBytes) + "\"\n  engine wrote \"" + Escaped(engineBytes) + "\"";
        for (const Query& query : Queries(random, generated.sections, generated.keys)) {
            Agree({{"platform reads platform's", Answer(kPlatform, query, platformCopy)},
                   {"platform reads engine's", Answer(kPlatform, query, engineCopy)},
                   {"engine reads platform's", Answer(kEngine, query, platformCopy)},
                   {"engine reads engine's", Answer(kEngine, query, engineCopy)}},
                  context + "\n  " + query.Describe());
        }
    }
    EXPECT_EQ(disagreements_, 0);
}

}  // namespace
