// ProfileDocument: the lines of one profile (INI) file in memory, with the lookup and edit
// rules of the Windows profile functions. The native profile engine loads a document from
// the file for every call and saves it back after a change.
//
// Every line is kept, so comments, blank lines and odd spacing survive an edit; only a
// line whose value changes is rewritten (as name=value). Saving ends every line in CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ProfileDocument {
public:
    // Any bytes are accepted: lines end at CR LF, CR or LF, and the last one may have none.
    explicit ProfileDocument(const std::string& bytes = std::string());

    std::string Bytes() const;

    // The value of the first key of that name in the first section of that name; null
    // when either is missing or the key's line has no '='. Names match without regard to
    // case after their surrounding white space is dropped; an empty section name is the
    // part of the file above the first section header.
    const std::string* Find(const std::string& section, const std::string& key) const;

    // Stores the value (leading white space dropped), adding the key at the end of the
    // section, or a new section at the end of the file. False when nothing changed.
    bool Set(const std::string& section, const std::string& key, const std::string& value);
    bool RemoveKey(const std::string& section, const std::string& key);
    bool RemoveSection(const std::string& section);
    // Empties every section of that name and fills the first one with the given
    // "key=value" entries; a missing section is created, even for an empty list.
    bool ReplaceSection(const std::string& section, const std::vector<std::string>& entries);

    std::vector<std::string> SectionNames() const;  // named sections, in file order
    std::vector<std::string> KeyNames(const std::string& section) const;  // keys with '=', no comments

    static bool IsSpace(char c);
    static std::string Trim(const std::string& text);
    static bool SameName(const std::string& a, const std::string& b);

private:
    enum class Kind { Blank, Header, Entry };
    struct Line {
        Kind kind = Kind::Blank;
        std::string raw;    // as read, without its line end
        std::string name;   // section or key name
        std::string value;  // key value, when hasValue
        bool hasValue = false;
    };
    struct Range {
        std::size_t begin;  // first line after the header (0 for the part above any header)
        std::size_t end;    // one past the last line of the section
    };

    static Line Parse(const std::string& raw);
    std::vector<Range> Sections(const std::string& name) const;  // every section of that name
    bool FindSection(const std::string& name, Range* range) const;  // the first one
    std::size_t FindKey(const Range& range, const std::string& key) const;
    std::size_t AppendAt(const Range& range) const;
    void AddSection(const std::string& name);

    std::vector<Line> lines_;
    bool utf8Mark_ = false;
};
