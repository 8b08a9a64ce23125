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

    // Names match without regard to case. The names in the file are read without their
    // surrounding white space; Find and Set drop it from the names they are given too,
    // the removals and KeyNames take their names as given (as the Windows functions do),
    // so there a name with white space around it matches nothing. An empty section name
    // is the part of the file above the first section header.

    // The value of the first key of that name in the first section of that name; null
    // when either is missing or the key's line has no '='.
    const std::string* Find(const std::string& section, const std::string& key) const;

    // Stores the value (leading white space dropped), adding the key at the end of the
    // section, or a new section at the end of the file. False when nothing changed.
    bool Set(const std::string& section, const std::string& key, const std::string& value);
    // Removes the first key of that name found in the sections of that name.
    bool RemoveKey(const std::string& section, const std::string& key);
    // Removes the first section of that name with its header.
    bool RemoveSection(const std::string& section);
    // Empties every section of that name and adds the given "key=value" entries to the
    // first one (its name white-space trimmed); a missing section is created, even for
    // an empty list.
    bool ReplaceSection(const std::string& section, const std::vector<std::string>& entries);

    std::vector<std::string> SectionNames() const;  // named sections, in file order
    std::vector<std::string> KeyNames(const std::string& section) const;  // keys with '=', no comments
    // The lines of the first section of that name as a section read gives them: "key=value"
    // with the spacing around both dropped, lines without '=' as they stand, no comments
    // and no blank lines.
    std::vector<std::string> SectionLines(const std::string& section) const;

    static bool IsSpace(char c);
    // A code page 932 lead byte: it and the byte after it are one character, never
    // folded to another case.
    static bool IsLeadByte(char c);
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
    // Names exactly as given, without regard to case.
    std::vector<Range> Sections(const std::string& name) const;  // every section of that name
    bool FindSection(const std::string& name, Range* range) const;  // the first one
    std::size_t FindKey(const Range& range, const std::string& key) const;
    std::size_t AppendAt(const Range& range) const;
    std::vector<const Line*> Entries(const std::string& section) const;
    void AddSection(const std::string& name);

    std::vector<Line> lines_;
    bool utf8Mark_ = false;
};
