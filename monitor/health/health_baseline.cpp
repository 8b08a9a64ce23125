#include "health_baseline.h"

#include "inifile.h"
#include "settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kHealthSection[] = "Health";
constexpr std::size_t kBaselineTextSize = 256;

bool ReadNumber(const char*& cursor, std::uint64_t& value)
{
    if (*cursor < '0' || *cursor > '9') {
        return false;
    }
    std::uint64_t parsed = 0;
    while (*cursor >= '0' && *cursor <= '9') {
        const unsigned digit = static_cast<unsigned>(*cursor - '0');
        if (parsed > (UINT64_MAX - digit) / 10) {
            return false;
        }
        parsed = parsed * 10 + digit;
        ++cursor;
    }
    value = parsed;
    return true;
}

bool ParseState(const char* word, std::size_t length, HealthState& state)
{
    const HealthState states[] = {HealthState::Unknown, HealthState::Good, HealthState::Caution, HealthState::Bad};
    for (const HealthState candidate : states) {
        const char* name = HealthStateName(candidate);
        if (std::strlen(name) == length && std::strncmp(name, word, length) == 0) {
            state = candidate;
            return true;
        }
    }
    return false;
}

bool ParseCount(const char*& cursor, HealthBaseline& baseline)
{
    unsigned slot = kCountSlots;
    if (*cursor == 'm') {
        slot = kNvmeMediaSlot;
        ++cursor;
    } else {
        std::uint64_t id = 0;
        if (!ReadNumber(cursor, id) || id == 0 || id > 255) {
            return false;
        }
        slot = CountSlotOf(static_cast<std::uint8_t>(id));
    }
    if (slot >= kCountSlots || *cursor++ != ':') {
        return false;
    }
    CountBaseline& count = baseline.counts[slot];
    if (!ReadNumber(cursor, count.last)) {
        return false;
    }
    count.known = true;
    if (*cursor == '<') {
        ++cursor;
        count.rising = ReadNumber(cursor, count.since);
        if (!count.rising) {
            return false;
        }
    }
    if (*cursor == '=') {
        ++cursor;
        count.accepted = ReadNumber(cursor, count.acceptedAt);
        if (!count.accepted) {
            return false;
        }
    }
    return *cursor == ' ' || *cursor == '\0';
}

}  // namespace

unsigned CountSlotOf(std::uint8_t attributeId)
{
    if (attributeId == 0) {
        return kCountSlots;
    }
    for (unsigned slot = 0; slot < kCountSlots; ++slot) {
        if (kCountIds[slot] == attributeId) {
            return slot;
        }
    }
    return kCountSlots;
}

std::size_t FormatBaseline(const HealthBaseline& baseline, char* text, std::size_t size)
{
    if (text == nullptr || size == 0) {
        return 0;
    }
    std::size_t used = 0;
    const auto append = [&](const char* format, auto... values) {
        if (used + 1 >= size) {
            return;
        }
        const int n = std::snprintf(text + used, size - used, format, values...);
        if (n > 0) {
            used += static_cast<std::size_t>(n) < size - used ? static_cast<std::size_t>(n) : size - used - 1;
        }
    };
    text[0] = '\0';
    append("%s", HealthStateName(baseline.reported));
    for (unsigned slot = 0; slot < kCountSlots; ++slot) {
        const CountBaseline& count = baseline.counts[slot];
        if (!count.known) {
            continue;
        }
        if (slot == kNvmeMediaSlot) {
            append(" m:%llu", static_cast<unsigned long long>(count.last));
        } else {
            append(" %u:%llu", static_cast<unsigned>(kCountIds[slot]), static_cast<unsigned long long>(count.last));
        }
        if (count.rising) {
            append("<%llu", static_cast<unsigned long long>(count.since));
        }
        if (count.accepted) {
            append("=%llu", static_cast<unsigned long long>(count.acceptedAt));
        }
    }
    return used;
}

bool ParseBaseline(const char* text, HealthBaseline& baseline)
{
    baseline = HealthBaseline();
    if (text == nullptr) {
        return false;
    }
    const char* cursor = text;
    const char* space = std::strchr(cursor, ' ');
    const std::size_t length = space != nullptr ? static_cast<std::size_t>(space - cursor) : std::strlen(cursor);
    HealthBaseline parsed;
    if (!ParseState(cursor, length, parsed.reported)) {
        return false;
    }
    cursor += length;
    while (*cursor == ' ') {
        ++cursor;
        if (*cursor == '\0') {
            break;
        }
        if (!ParseCount(cursor, parsed)) {
            return false;
        }
    }
    if (*cursor != '\0') {
        return false;
    }
    baseline = parsed;
    return true;
}

bool IniBaselineStore::Load(const char* key, HealthBaseline& baseline)
{
    INIFILE ini;
    if (!ini.Open(kSettingsFile)) {
        return false;
    }
    char text[kBaselineTextSize] = {};
    ini.Read(kHealthSection, key, "", text, sizeof text);
    ini.Close();
    return text[0] != '\0' && ParseBaseline(text, baseline);
}

void IniBaselineStore::Save(const char* key, const HealthBaseline& baseline)
{
    char text[kBaselineTextSize];
    FormatBaseline(baseline, text, sizeof text);
    INIFILE ini;
    if (!ini.Open(kSettingsFile)) {
        return;
    }
    ini.Write(kHealthSection, key, text);
    ini.Close();
}
