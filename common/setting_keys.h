// A settings record described once: each key's section, name, kind, the values it may
// hold and where it lives in the record. Loading, saving, the strict reading of a
// hand-written file and a dialog's limits all read the same table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class INIFILE;

enum class SettingKind : std::uint8_t {
    Flag,      // std::int32_t, 0 or 1, written in decimal
    Signed,    // std::int32_t, decimal
    Unsigned,  // std::uint32_t, decimal
    Byte,      // std::uint8_t, written 0x%02x
    Hex,       // std::uint32_t, written 0x%08x
    Text,      // char[]; minimum and maximum are lengths
    Colour,    // COLORREF, "r,g,b"; a missing key keeps what the record holds
    Font,      // LOGFONTA; likewise
};

// Who else reads a key besides the file.
enum SettingUse : std::uint8_t {
    kSettingInDialog = 1,  // the settings dialog shows it
    kSettingInDaemon = 2,  // kelvixd reads it from its own file
};

struct SettingKey {
    const char* section;  // null: the section the caller names (PELITO's host)
    const char* key;
    SettingKind kind;
    std::size_t offset;  // of the field in the record
    std::size_t size;    // of the field
    std::int64_t minimum;
    std::int64_t maximum;
    std::uint8_t uses;
    // Junk (text too long, a number that is not plainly one in range) reads as the
    // default: for keys where the usual reading would give something unsafe.
    bool strict;
    // The most the dialog's field offers, where its box is narrower than the range.
    std::int64_t dialogMaximum;
};

// One entry; `Record::field` must have the size the kind needs (checked when the table is
// built, as the table is constexpr).
constexpr SettingKey MakeSettingKey(const char* section, const char* key, SettingKind kind, std::size_t offset,
                                    std::size_t size, std::int64_t minimum, std::int64_t maximum, std::uint8_t uses,
                                    bool strict = false, std::int64_t dialogMaximum = -1)
{
    const bool fits = kind == SettingKind::Byte   ? size == 1
                      : kind == SettingKind::Text ? maximum > 0 && static_cast<std::size_t>(maximum) < size
                      : kind == SettingKind::Font ? size > 4
                                                  : size == 4;
    return fits ? SettingKey{section, key, kind, offset, size, minimum, maximum, uses, strict,
                             dialogMaximum < 0 ? maximum : dialogMaximum}
                : throw "a setting's field does not fit its kind";
}

#define KV_SETTING(Record, field, kind, section, key, minimum, maximum, uses, ...)                            \
    MakeSettingKey(section, key, SettingKind::kind, offsetof(Record, field), sizeof(Record::field), minimum, \
                   maximum, uses, ##__VA_ARGS__)

struct SettingTable {
    const SettingKey* keys;
    std::size_t count;
    const SettingKey* begin() const { return keys; }
    const SettingKey* end() const { return keys + count; }
    // The entry of section/key (letter case ignored, as the profile functions do), or null;
    // a key of the caller's section is found by any section.
    const SettingKey* Find(const char* section, const char* key) const;
};

// Reads every key into `record`; a missing key takes its value in `defaults`. Numbers are
// read as the profile functions read them (junk is 0), except strict keys.
void ReadSettingKeys(INIFILE& ini, const SettingTable& table, void* record, const void* defaults,
                     const char* section = nullptr);
// Writes every key in table order; false when any write was refused.
bool WriteSettingKeys(INIFILE& ini, const SettingTable& table, const void* record, const char* section = nullptr);

// Plain decimal from minimum to maximum, blanks around it allowed; false for anything else.
bool ParseWholeNumber(const char* text, std::int64_t minimum, std::int64_t maximum, std::int64_t& value);

// A hand-written value for a number, flag or text key, checked against the key's range;
// false with `problem` ("must be a whole number from 1 to 65535, not \"x\"") when refused,
// and the record unchanged.
bool ParseSettingValue(const SettingKey& key, const std::string& value, void* record,
                                 std::string& problem);
// The key's value in `defaults` as a reader is told it ("5", "\"N/A\"").
std::string SettingValueText(const SettingKey& key, const void* record);
