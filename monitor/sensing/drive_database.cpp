#include "drive_database.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr unsigned kLineBufferSize = 2048;

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// _strnicmp over the key's length: true when the model text starts with the key.
bool StartsWithIgnoringCase(const char* model, const char* key, std::uint32_t keyLength)
{
    for (std::uint32_t i = 0; i < keyLength; ++i) {
        if (LowerAscii(model[i]) != LowerAscii(key[i])) {
            return false;
        }
        if (model[i] == '\0') {
            return true;
        }
    }
    return true;
}

// atoi as the Windows run-time library reads it: leading white space, a sign, digits;
// beyond the int range it gives INT_MAX or INT_MIN.
int ReadId(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// strtok on one separator: the next run of non-separator bytes, or null.
char* NextToken(char*& cursor, char separator)
{
    while (*cursor == separator) {
        ++cursor;
    }
    if (*cursor == '\0') {
        return nullptr;
    }
    char* token = cursor;
    while (*cursor != '\0' && *cursor != separator) {
        ++cursor;
    }
    if (*cursor == separator) {
        *cursor++ = '\0';
    }
    return token;
}

}  // namespace

DriveDatabase::DriveDatabase() : first_(new Entry) {}

DriveDatabase::~DriveDatabase()
{
    // Unlink one by one: a long list must not recurse through the destructors.
    std::unique_ptr<Entry> entry = std::move(first_);
    while (entry != nullptr) {
        entry = std::move(entry->next);
    }
}

void DriveDatabase::Clear()
{
    std::unique_ptr<Entry> entry = std::move(first_->next);
    while (entry != nullptr) {
        entry = std::move(entry->next);
    }
    first_->used = false;
    first_->key.Remove();
    first_->value.Remove();
    first_->afterKey.Remove();
}

bool DriveDatabase::Insert(const char* key, const char* value, const char* afterKey)
{
    Entry* entry = first_.get();
    for (;;) {
        // A later key that begins with a stored one replaces it (AB, then ABC). The
        // comparison runs over the stored key; an empty stored key is never a prefix.
        if (!entry->used || entry->key == key) {
            entry->key = key;
            entry->value = value;
            entry->afterKey = afterKey != nullptr ? afterKey : value;
            entry->key.Trim();
            entry->value.Trim();
            entry->afterKey.Trim();
            entry->used = true;
            return true;
        }
        if (entry->next == nullptr) {
            entry->next.reset(new (std::nothrow) Entry);
            if (entry->next == nullptr) {
                return false;
            }
        }
        entry = entry->next.get();
    }
}

bool DriveDatabase::ParseLine(char* line)
{
    if (line[0] == '\n' || line[0] == comment_) {
        return true;
    }
    const std::size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n') {
        line[length - 1] = '\0';
    }
    char* cursor = line;
    const char* key = NextToken(cursor, separator_);
    if (key == nullptr) {
        return true;
    }
    // The value ends at the next separator; a "counts=" note after it is kept apart.
    while (*cursor == separator_) {
        ++cursor;
    }
    CSTR afterKey;
    afterKey = cursor;
    const char* value = NextToken(cursor, separator_);
    if (value == nullptr) {
        return true;
    }
    return Insert(key, value, afterKey.String());
}

bool DriveDatabase::Load(const char* path)
{
    std::FILE* file = path != nullptr ? std::fopen(path, "r") : nullptr;
    if (file == nullptr) {
        return false;
    }
    std::unique_ptr<char[]> line(new (std::nothrow) char[kLineBufferSize]);
    if (line == nullptr) {
        std::fclose(file);
        return true;
    }
    bool skipRest = false;
    while (std::fgets(line.get(), kLineBufferSize, file) != nullptr) {
        const std::size_t length = std::strlen(line.get());
        const bool complete = length > 0 && line[length - 1] == '\n';
        // The tail of an over-long line is not a line of its own.
        const bool tail = skipRest;
        skipRest = !complete && length == kLineBufferSize - 1;
        if (tail) {
            continue;
        }
        if (!ParseLine(line.get())) {
            break;
        }
    }
    std::fclose(file);
    return true;
}

std::uint8_t DriveDatabase::Lookup(const char* model) const
{
    std::uint8_t id = 0;
    Find(model, id);
    return id;
}

const DriveDatabase::Entry* DriveDatabase::FindEntry(const char* model) const
{
    for (const Entry* entry = first_.get(); entry != nullptr; entry = entry->next.get()) {
        // A key that is empty after trimming would compare over no characters and
        // match every model: it matches nothing.
        if (!entry->used || entry->key.Length() == 0) {
            continue;
        }
        if (StartsWithIgnoringCase(model, entry->key.String(), entry->key.Length())) {
            return entry;
        }
    }
    return nullptr;
}

bool DriveDatabase::Find(const char* model, std::uint8_t& id) const
{
    id = 0;
    const Entry* entry = FindEntry(model);
    if (entry == nullptr) {
        return false;
    }
    id = static_cast<std::uint8_t>(ReadId(entry->value.String()) & 0xFF);
    return true;
}

unsigned DriveDatabase::UsedEntries() const
{
    unsigned count = 0;
    for (const Entry* entry = first_.get(); entry != nullptr; entry = entry->next.get()) {
        count += entry->used ? 1 : 0;
    }
    return count;
}

DriveDatabase& TheDriveDatabase()
{
    static DriveDatabase database;
    return database;
}

int LoadDriveDatabase(const char* path)
{
    DriveDatabase& database = TheDriveDatabase();
    database.Clear();
    return database.Load(path) ? 1 : 0;
}

void LookupTemperatureAttribute(std::uint32_t /*driveNumber*/, DriveRecord& record)
{
    std::uint8_t id = 0;
    const bool listed = TheDriveDatabase().Find(record.model, id);
    record.temperatureAttributeId = id;
    record.temperatureSource = listed ? (id == 0 ? TemperatureSource::DatabaseNone : TemperatureSource::Database)
                                      : TemperatureSource::None;
    if (listed && id == 0) {
        return;
    }
    // Without an attribute table (not read yet) the line stands as it is.
    const bool tableRead = record.device.AttributeResult() != nullptr;
    std::uint8_t raw[6] = {};
    if (listed && (!tableRead || record.device.FindAttribute(id, raw))) {
        return;
    }
    for (const std::uint8_t fallback : kFallbackTemperatureIds) {
        if (record.device.FindAttribute(fallback, raw)) {
            record.temperatureAttributeId = fallback;
            record.temperatureSource = TemperatureSource::Fallback;
            return;
        }
    }
}
