// The mark of a drive that does not answer, in the program's language, with the local
// time its reads began to fail: "not answering since 12:34" (without the time when unknown).
#pragma once

#include <cstdint>
#include <string>

std::string NotAnsweringText(std::int64_t sinceSecondsUtc);
