#include "profile_document.h"

#include <cstring>

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

// Names and values end at a NUL byte, as they would in the C strings of the platform.
std::string UpToNul(const std::string& text)
{
    const std::size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

char FoldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool ProfileDocument::IsLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool ProfileDocument::IsSpace(char c)
{
    // CR LF and friends, space, and ^Z (DOS end of file) count as white space.
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

std::string ProfileDocument::Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool ProfileDocument::SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
        } else if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

ProfileDocument::ProfileDocument(const std::string& bytes)
{
    std::size_t pos = 0;
    if (bytes.compare(0, 3, kUtf8Mark) == 0) {
        utf8Mark_ = true;
        pos = 3;
    }
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        lines_.push_back(Parse(bytes.substr(pos, end - pos)));
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r') {
            ++pos;
        }
        if (pos < bytes.size() && bytes[pos] == '\n' && (pos == end || bytes[pos - 1] == '\r')) {
            ++pos;
        }
    }
}

ProfileDocument::Line ProfileDocument::Parse(const std::string& raw)
{
    Line line;
    line.raw = raw;
    const std::string text = Trim(raw);
    if (text.empty()) {
        return line;
    }
    if (text[0] == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string::npos && close > 0) {
            line.kind = Kind::Header;
            line.name = UpToNul(Trim(text.substr(1, close - 1)));
            return line;
        }
        // Without a closing bracket the line reads as a key.
    }
    line.kind = Kind::Entry;
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        line.name = UpToNul(text);
        return line;
    }
    line.name = UpToNul(Trim(text.substr(0, equals)));
    line.value = UpToNul(Trim(text.substr(equals + 1)));
    line.hasValue = true;
    return line;
}

std::string ProfileDocument::Bytes() const
{
    std::string bytes = utf8Mark_ ? kUtf8Mark : "";
    for (const Line& line : lines_) {
        bytes += line.raw;
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<ProfileDocument::Range> ProfileDocument::Sections(const std::string& wanted) const
{
    std::vector<Range> ranges;
    std::size_t i = 0;
    // The part above the first header is the section without a name.
    while (i < lines_.size() && lines_[i].kind != Kind::Header) {
        ++i;
    }
    if (wanted.empty()) {
        ranges.push_back(Range{0, i});
    }
    while (i < lines_.size()) {
        const bool match = SameName(lines_[i].name, wanted);
        const std::size_t begin = ++i;
        while (i < lines_.size() && lines_[i].kind != Kind::Header) {
            ++i;
        }
        if (match) {
            ranges.push_back(Range{begin, i});
        }
    }
    return ranges;
}

bool ProfileDocument::FindSection(const std::string& name, Range* range) const
{
    const std::vector<Range> ranges = Sections(name);
    if (ranges.empty()) {
        return false;
    }
    *range = ranges.front();
    return true;
}

std::size_t ProfileDocument::FindKey(const Range& range, const std::string& wanted) const
{
    for (std::size_t i = range.begin; i < range.end; ++i) {
        if (lines_[i].kind == Kind::Entry && SameName(lines_[i].name, wanted)) {
            return i;
        }
    }
    return std::string::npos;
}

// New keys go behind the last non-blank line of the section, so blank lines that part
// it from the next section stay where they are.
std::size_t ProfileDocument::AppendAt(const Range& range) const
{
    std::size_t at = range.end;
    while (at > range.begin && lines_[at - 1].kind == Kind::Blank) {
        --at;
    }
    return at;
}

void ProfileDocument::AddSection(const std::string& name)
{
    lines_.push_back(Parse("[" + Trim(name) + "]"));
}

const std::string* ProfileDocument::Find(const std::string& section, const std::string& key) const
{
    Range range{};
    if (!FindSection(Trim(section), &range)) {
        return nullptr;
    }
    const std::size_t at = FindKey(range, Trim(key));
    if (at == std::string::npos || !lines_[at].hasValue) {
        return nullptr;
    }
    return &lines_[at].value;
}

bool ProfileDocument::Set(const std::string& section, const std::string& key, const std::string& value)
{
    std::size_t start = 0;
    while (start < value.size() && IsSpace(value[start])) {
        ++start;
    }
    const std::string stored = UpToNul(value.substr(start));
    Range range{};
    if (!FindSection(Trim(section), &range)) {
        AddSection(section);
        range = Range{lines_.size(), lines_.size()};
    }
    const std::size_t at = FindKey(range, Trim(key));
    if (at != std::string::npos) {
        Line& line = lines_[at];
        if (line.hasValue && line.value == stored) {
            return false;
        }
        line = Parse(line.name + "=" + stored);
        return true;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(AppendAt(range)),
                  Parse(Trim(key) + "=" + stored));
    return true;
}

bool ProfileDocument::RemoveKey(const std::string& section, const std::string& key)
{
    for (const Range& range : Sections(section)) {
        const std::size_t at = FindKey(range, key);
        if (at != std::string::npos) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
            return true;
        }
    }
    return false;
}

bool ProfileDocument::RemoveSection(const std::string& section)
{
    Range range{};
    if (!FindSection(section, &range)) {
        return false;
    }
    const std::size_t first = range.begin == 0 ? 0 : range.begin - 1;  // with its header
    if (first == range.end) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range.end));
    return true;
}

bool ProfileDocument::ReplaceSection(const std::string& section, const std::vector<std::string>& entries)
{
    bool changed = false;
    // Empty every section of that name, keeping the headers; from the back, so the
    // earlier ranges stay valid.
    const std::vector<Range> ranges = Sections(section);
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
        if (range->end > range->begin) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->begin),
                         lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
            changed = true;
        }
    }
    Range range{};
    if (!FindSection(Trim(section), &range)) {
        AddSection(section);
        range = Range{lines_.size(), lines_.size()};
        changed = true;
    }
    // Behind what is left of the section: nothing, unless the name as given matched no
    // section and emptied nothing.
    std::size_t at = AppendAt(range);
    for (const std::string& entry : entries) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        std::string value = entry.substr(equals + 1);
        std::size_t start = 0;
        while (start < value.size() && IsSpace(value[start])) {
            ++start;
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      Parse(Trim(entry.substr(0, equals)) + "=" + value.substr(start)));
        ++at;
        changed = true;
    }
    return changed;
}

std::vector<std::string> ProfileDocument::SectionNames() const
{
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Header && !line.name.empty()) {
            names.push_back(line.name);
        }
    }
    return names;
}

// The key lines of the first section of that name, comments left out.
std::vector<const ProfileDocument::Line*> ProfileDocument::Entries(const std::string& section) const
{
    std::vector<const Line*> entries;
    Range range{};
    if (!FindSection(section, &range)) {
        return entries;
    }
    for (std::size_t i = range.begin; i < range.end; ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Entry && (line.name.empty() || line.name[0] != ';')) {
            entries.push_back(&line);
        }
    }
    return entries;
}

std::vector<std::string> ProfileDocument::KeyNames(const std::string& section) const
{
    std::vector<std::string> names;
    for (const Line* line : Entries(section)) {
        if (line->hasValue) {
            names.push_back(line->name);
        }
    }
    return names;
}

std::vector<std::string> ProfileDocument::SectionLines(const std::string& section) const
{
    std::vector<std::string> lines;
    for (const Line* line : Entries(section)) {
        lines.push_back(line->hasValue ? line->name + "=" + line->value : line->name);
    }
    return lines;
}
