// A drive's health in the user's words, for KELVIX's balloons and windows and PELITO's
// balloon alike. The numbers are those of the verdict report (HealthState and
// HealthReasonKind of the monitor).
#pragma once

#include "language.h"

#include <cstdint>
#include <string>

// A count's name, such as 代替処理待ちのセクタ for attribute 197 (0: NVMe media errors).
const char* HealthCountName(std::uint8_t id);
// 正常, 注意, 危険; 不明 for 0 and anything unknown (in the program's language, common_texts.h).
const char* HealthWord(std::uint8_t health);
// One reason, such as "代替処理待ちのセクタが 0 から 8 に増加"; empty for kind 0.
std::string HealthReasonWords(std::uint8_t kind, std::uint8_t attributeId, std::uint64_t from, std::uint64_t to,
                              std::uint32_t limit);

// The same in the language asked for (a web page may speak another than the program).
const char* HealthWord(std::uint8_t health, Language language);
std::string HealthReasonWords(std::uint8_t kind, std::uint8_t attributeId, std::uint64_t from, std::uint64_t to,
                              std::uint32_t limit, Language language);
// The name of a count the health rules read (ATA id, or 0 for NVMe media errors).
const char* CountName(std::uint8_t id, Language language);
