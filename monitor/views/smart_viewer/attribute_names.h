// The names of the S.M.A.R.T. attributes the viewer knows, by attribute id.
#pragma once

#include <cstdint>

struct AttributeName {
    std::uint8_t id;
    const char* name;
};

// In display order; the last entry has id 0 and an empty name.
extern const AttributeName AttributeNameTable[];

// The name of the first entry with this id, or "Unknown".
const char* GetAttributeName(std::uint8_t id);
