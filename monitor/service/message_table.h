// MessageTable: the monitor's numbered texts for error and notice boxes.
#pragma once

// The text of an index; indices without a text (0, 1, above 15) give "未定義".
const char* MessageTable(unsigned index);
