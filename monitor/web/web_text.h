// The texts of the web page and its JSON: escaping for HTML, the program's words (code
// page 932) in UTF-8, times in ISO 8601, and what a drive's card says in words. The
// page and the API both take their words from here, so they never disagree.
#pragma once

#include "drive_snapshot.h"
#include "kelvix_texts.h"
#include "language.h"

#include <cstdint>
#include <string>
#include <vector>

// Appends UTF-8 text as HTML text or attribute value: & < > " ' become references;
// bytes that are not well-formed UTF-8 (a drive's model may hold anything) become U+FFFD.
void AppendHtml(std::string& out, const std::string& utf8);
void AppendHtml(std::string& out, const char* bytes);
// Appends bytes as one JSON string, quotes included (common/json_text.h's rules).
void AppendJson(std::string& out, const std::string& bytes);
void AppendJson(std::string& out, const char* bytes);

// "2026-12-09T22:30:05Z"; an empty text for 0.
std::string IsoTime(std::int64_t secondsSince1970);

// What the temperature's colour tells, by the drive's own warning temperature: "hot" at
// or above it (or judged hot), "warm" within 5 °C below it, else "cool"; "none" without
// a temperature, "asleep" for a drive left asleep.
const char* TemperatureClass(const DriveSnapshotEntry& drive);
constexpr unsigned kWarmBelowWarning = 5;

// Machine names: "ATA", "NVMe", "property"; "solid-state", "rotating", "unknown";
// "temperature", "no-temperature", "read-failed", "sleeping".
const char* DriveKindName(DriveKind kind);
const char* DriveMediaName(DriveMedia media);
const char* DriveConditionName(DriveCondition condition);

// The user's words in UTF-8, in `language`.
std::string HealthWordUtf8(HealthState health, Language language);
std::vector<std::string> ReasonWordsUtf8(const DriveVerdict& verdict, Language language);
std::string WebWords(KelvixText id, Language language);
// A text with one %u, or with one %s filled by UTF-8 text (a host name).
std::string WebWords(KelvixText id, Language language, unsigned value);
std::string WebWords(KelvixText id, Language language, const std::string& utf8Argument);
