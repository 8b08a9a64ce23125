// The profile engine on top of ProfileDocument. Every call reads the file afresh; every
// change is written back before the call returns.
#include "profile_engine.h"

#include "durable_file.h"
#include "profile_document.h"
#include "profile_integer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace profile_engine {
namespace {

enum class Load { Read, Missing, Failed };

Load ReadFile(const char* file, std::string* bytes)
{
    bytes->clear();
    if (file == nullptr || *file == '\0') {
        return Load::Failed;
    }
    std::FILE* stream = std::fopen(file, "rb");
    if (stream == nullptr) {
        return errno == ENOENT ? Load::Missing : Load::Failed;
    }
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
        bytes->append(chunk, got);
    }
    const bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    return failed ? Load::Failed : Load::Read;
}

// The new content goes to a temporary file beside the old one, which replaces it only once
// complete and on the disk: a full disk, a quota or a power cut then costs the change,
// never the rest of the file.
bool WriteFile(const char* file, const std::string& bytes)
{
    // A file that exists but may not be written (read-only) stays refused.
    if (access(file, F_OK) == 0 && access(file, W_OK) != 0) {
        return false;
    }
    return ReplaceFileDurably(file, bytes);
}

// The default loses its trailing spaces, though never its first character.
std::string TrimDefault(const char* def)
{
    std::string text = def ? def : "";
    std::size_t keep = text.size();
    while (keep > 1 && text[keep - 1] == ' ') {
        --keep;
    }
    text.resize(keep);
    return text;
}

// Code page 932 text as characters: a lead byte and the byte after it are one. Returns
// the byte offset at which each character ends.
std::vector<std::size_t> CharacterEnds(const std::string& text)
{
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (ProfileDocument::IsLeadByte(text[i]) && i + 1 < text.size()) {
            ++i;
        }
        ends.push_back(i + 1);
    }
    return ends;
}

// What a value read delivers for a buffer of `size`: at most size - 1 characters, and a
// value enclosed in matching single or double quotes without them. When the buffer is
// just short of the quoted text the last character is lost as well, as the Windows
// functions do. Counted in characters, as the platform counts them.
std::string ValueText(const std::string& value, std::uint32_t size)
{
    std::string text = value.substr(0, value.find('\0'));
    bool quoted = false;
    if (text.size() >= 2 && (text[0] == '\'' || text[0] == '"') && text.back() == text[0]) {
        quoted = true;
        text.erase(0, 1);
    }
    const std::vector<std::size_t> ends = CharacterEnds(text);
    std::size_t count = ends.size() < size - 1 ? ends.size() : size - 1;
    if (quoted && size >= ends.size() && count > 0) {
        --count;
    }
    text.resize(count == 0 ? 0 : ends[count - 1]);
    return text;
}

// The section names as a list of NUL-terminated names; when they do not fit, the last
// one is cut and the result is size - 2, as Windows does.
std::string SectionList(const std::vector<std::string>& names, std::uint32_t size)
{
    std::string list;
    if (size < 2) {
        return list;
    }
    std::size_t room = size - 1;
    for (const std::string& name : names) {
        const std::size_t need = name.size() + 1;
        if (need >= room) {
            list.append(name, 0, room - 1);
            list += '\0';
            return list.substr(0, size - 2);
        }
        list += name;
        list += '\0';
        room -= need;
    }
    return list;
}

// The key names of a section as a list of NUL-terminated names; names that no longer
// fit are left out, a cut one ends the list at size - 2.
std::string KeyList(const std::vector<std::string>& names, std::uint32_t size)
{
    std::string list;
    if (size < 3) {
        return list;
    }
    std::size_t left = size;
    for (const std::string& name : names) {
        if (left <= 2) {
            break;
        }
        const std::size_t count = name.size() < left - 2 ? name.size() : left - 2;
        list.append(name, 0, count);
        list += '\0';
        left -= count + 1;
        if (left < 2) {
            break;
        }
    }
    if (left <= 1) {
        return list.substr(0, size - 2);
    }
    return list;
}

// Hands text (which may hold NUL-separated names) to the caller's buffer, cut to
// size - 1 bytes and terminated.
std::uint32_t Deliver(const std::string& text, char* buffer, std::uint32_t size)
{
    const std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

// Hands a value to the caller's buffer. A value that does not fit is cut after its last
// whole character, never inside a double-byte one; the count is then size - 1 (the sign
// of a cut value) and the byte a split character would have taken is NUL.
std::uint32_t DeliverValue(const std::string& text, char* buffer, std::uint32_t size)
{
    if (text.size() < size) {
        return Deliver(text, buffer, size);
    }
    std::size_t keep = 0;
    for (const std::size_t end : CharacterEnds(text)) {
        if (end > size - 1) {
            break;
        }
        keep = end;
    }
    std::memcpy(buffer, text.data(), keep);
    std::memset(buffer + keep, '\0', size - keep);
    return size - 1;
}

bool Save(const char* file, const ProfileDocument& document)
{
    return WriteFile(file, document.Bytes());
}

}  // namespace

std::uint32_t GetString(const char* section, const char* key, const char* def, char* buffer,
                        std::uint32_t size, const char* file)
{
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const std::string fallback = TrimDefault(def);
    std::string bytes;
    if (ReadFile(file, &bytes) == Load::Failed) {
        return DeliverValue(fallback, buffer, size);
    }
    const ProfileDocument document(bytes);
    if (section == nullptr) {
        return Deliver(SectionList(document.SectionNames(), size), buffer, size);
    }
    if (key == nullptr) {
        // The key list keeps the default's trailing spaces.
        const std::string list = KeyList(document.KeyNames(section), size);
        if (list.empty() || list[0] == '\0') {
            return DeliverValue(ValueText(def ? def : "", size), buffer, size);
        }
        return Deliver(list, buffer, size);
    }
    const std::string* value = document.Find(section, key);
    return DeliverValue(ValueText(value ? *value : fallback, size), buffer, size);
}

std::int32_t GetInt(const char* section, const char* key, std::int32_t def, const char* file)
{
    // The value is read into a 30-byte buffer first, as Windows does; a present but
    // empty value gives the default too.
    char text[profile_integer::kReadSize];
    if (GetString(section, key, "", text, sizeof text, file) == 0) {
        return def;
    }
    return profile_integer::Parse(text);
}

std::uint32_t GetSection(const char* section, char* buffer, std::uint32_t size, const char* file)
{
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string bytes;
    std::string list;
    if (section != nullptr && ReadFile(file, &bytes) == Load::Read) {
        for (const std::string& line : ProfileDocument(bytes).SectionLines(section)) {
            list += line;
            list += '\0';
        }
    }
    // A list that does not fit is cut to size - 2 bytes; two NULs end it (a whole list
    // brings the first of them along).
    const std::size_t count = size < 2 ? 0 : std::min<std::size_t>(list.size(), size - 2);
    std::memcpy(buffer, list.data(), count);
    buffer[count] = '\0';
    if ((count == 0 || count < list.size()) && count + 1 < size) {
        buffer[count + 1] = '\0';
    }
    return static_cast<std::uint32_t>(count);
}

bool WriteString(const char* section, const char* key, const char* value, const char* file)
{
    if (section == nullptr || file == nullptr) {
        return false;
    }
    std::string bytes;
    if (ReadFile(file, &bytes) == Load::Failed) {
        return false;
    }
    ProfileDocument document(bytes);
    if (key == nullptr) {
        if (document.RemoveSection(section)) {
            Save(file, document);
        }
        return true;
    }
    const bool changed = value ? document.Set(section, key, value) : document.RemoveKey(section, key);
    return !changed || Save(file, document);
}

bool WriteSection(const char* section, const char* lines, const char* file)
{
    if (section == nullptr || file == nullptr) {
        return false;
    }
    std::string bytes;
    if (ReadFile(file, &bytes) == Load::Failed) {
        return false;
    }
    ProfileDocument document(bytes);
    if (lines == nullptr) {
        if (document.RemoveSection(section)) {
            Save(file, document);
        }
        return true;
    }
    std::vector<std::string> entries;
    for (const char* line = lines; *line != '\0'; line += std::strlen(line) + 1) {
        entries.emplace_back(line);
    }
    return !document.ReplaceSection(section, entries) || Save(file, document);
}

}  // namespace profile_engine
