#include "worst_temperatures.h"

#include "file_trouble.h"
#include "inifile.h"
#include "settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kWorstSection[] = "Worst";

// Worst values the settings file refused (a full disk, a read-only file), kept until a
// write takes them. They outlive the drive table: kelvixd builds a new one on a reload.
struct UnsavedWorst {
    char key[kWorstKeySize];
    std::uint8_t value;
};
constexpr unsigned kUnsavedMax = 2 * kMaxDrives;
UnsavedWorst g_unsaved[kUnsavedMax];
unsigned g_unsavedCount = 0;

UnsavedWorst* FindUnsaved(const char* key)
{
    for (unsigned i = 0; i < g_unsavedCount; ++i) {
        if (std::strcmp(g_unsaved[i].key, key) == 0) {
            return &g_unsaved[i];
        }
    }
    return nullptr;
}

void Forget(UnsavedWorst* entry)
{
    *entry = g_unsaved[--g_unsavedCount];
}

bool Store(const char* key, std::uint8_t value)
{
    INIFILE ini;
    errno = 0;
    const bool stored = ini.Open(kSettingsFile) != 0 && ini.Write(kWorstSection, key, value) != 0;
    const int error = errno;
    ini.Close();
    NoteFileWrite(kSettingsFile, stored, error);
    return stored;
}

}  // namespace

void FormatWorstKey(const DriveRecord& record, char (&key)[kWorstKeySize])
{
    std::snprintf(key, sizeof(key), "%s:%s:%s", record.model, record.firmware, record.serial);
}

void LoadWorst(DriveRecord& record)
{
    if (record.identityPending != 0) {
        return;
    }
    char key[kWorstKeySize];
    FormatWorstKey(record, key);
    INIFILE ini;
    if (ini.Open(kSettingsFile)) {
        ini.Read(kWorstSection, key, std::uint8_t{0}, &record.worstTemperature);
        ini.Close();
    }
    const UnsavedWorst* unsaved = FindUnsaved(key);
    if (unsaved != nullptr && unsaved->value > record.worstTemperature) {
        record.worstTemperature = unsaved->value;
    }
}

bool SaveWorst(const DriveRecord& record)
{
    if (record.identityPending != 0) {
        return true;  // no key yet: its worst value is kept once it wakes
    }
    char key[kWorstKeySize];
    FormatWorstKey(record, key);
    UnsavedWorst* unsaved = FindUnsaved(key);
    if (Store(key, record.worstTemperature)) {
        if (unsaved != nullptr) {
            Forget(unsaved);
        }
        return true;
    }
    if (unsaved == nullptr && g_unsavedCount < kUnsavedMax) {
        unsaved = &g_unsaved[g_unsavedCount++];
        std::memcpy(unsaved->key, key, sizeof key);
    }
    if (unsaved != nullptr) {
        unsaved->value = record.worstTemperature;
    }
    return false;
}

void RetryUnsavedWorst()
{
    for (unsigned i = g_unsavedCount; i-- > 0;) {
        if (!Store(g_unsaved[i].key, g_unsaved[i].value)) {
            return;  // the file still refuses: the next measurement tries again
        }
        Forget(&g_unsaved[i]);
    }
}

unsigned UnsavedWorstCount()
{
    return g_unsavedCount;
}
