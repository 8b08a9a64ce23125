// tempquery's texts for people: its usage and the hint after a mistaken option, in English
// and Japanese (Japanese only where the language rule of common/language.h says so, never
// on Linux). What other programs read (the drive lines, JSON, the check's status lines and
// the errors they carry) stays the same in every language and is not here.
#pragma once

#include "language.h"

#include <cstddef>

enum class QueryText : unsigned short {
    Usage,
    HelpHint,
    Count
};

const char* Text(QueryText id);

// The whole table, for the tests: Count rows in the order of the names.
const TextRow* QueryTextRows();
