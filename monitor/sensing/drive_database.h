// The drive database: model-name prefixes mapped to the S.M.A.R.T. attribute id that
// carries a drive's temperature, read once at start from a text file (HDDATA.CFG).
#pragma once

#include "cstr.h"
#include "drive_table.h"

#include <cstdint>
#include <memory>

class DriveDatabase {
public:
    DriveDatabase();
    ~DriveDatabase();
    DriveDatabase(const DriveDatabase&) = delete;
    DriveDatabase& operator=(const DriveDatabase&) = delete;

    // Reads the file's entries after the ones already held; false if it cannot be opened.
    bool Load(const char* path);
    // Reads one line of the file format; false only when no memory is left for an entry.
    bool ParseLine(char* line);
    // Stores a key and value as read (untrimmed), and the whole text after the key (with
    // what follows a second separator); false when no memory is left.
    bool Insert(const char* key, const char* value, const char* afterKey = nullptr);
    // The id for a model text (the first entry whose key starts it, ignoring case), or 0.
    std::uint8_t Lookup(const char* model) const;
    // The same, telling a line with id 0 ("no usable temperature") from no line at all.
    bool Find(const char* model, std::uint8_t& id) const;
    // Back to one unused entry.
    void Clear();

    struct Entry {
        bool used = false;
        CSTR key;
        CSTR value;
        CSTR afterKey;  // the value with the rest of its line ("194 counts=197:0"), trimmed
        std::unique_ptr<Entry> next;
    };
    const Entry& First() const { return *first_; }
    // The entry Find uses for a model, or null: the text after its key may say more than
    // the id (the health rules read "counts=" from afterKey).
    const Entry* FindEntry(const char* model) const;
    unsigned UsedEntries() const;

private:
    std::unique_ptr<Entry> first_;
    const char comment_ = '#';
    const char separator_ = '=';
};

// The program's database, alive for the whole run.
DriveDatabase& TheDriveDatabase();

// Replaces the program's database with the file's entries: 1 if the file was read, else 0.
int LoadDriveDatabase(const char* path);
// Attributes most drives report their temperature in, in the order they are tried when
// no database line fits.
constexpr std::uint8_t kFallbackTemperatureIds[] = {194, 190};

// Sets record.temperatureAttributeId and temperatureSource. A database line decides when
// the drive's attribute table (if read) holds its attribute; a line whose id is 0 says the
// model has no usable temperature. Otherwise the first fallback id the table holds.
void LookupTemperatureAttribute(std::uint32_t driveNumber, DriveRecord& record);
