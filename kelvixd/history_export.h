// kelvixd --history-csv: one drive's history from the store file as CSV on stdout.
#pragma once

#include <cstdio>
#include <string>

// The store file in the state directory.
std::string HistoryFilePath(const std::string& stateDirectory);

// Prints the history of `drive` (a drive number, a "model:firmware:serial" identity, or a
// serial) to `out`: the last `range` ("hour".."year"), or all of it when `range` is null.
// Returns the exit status: 0 printed, 1 no such drive or no readable file, 2 a bad range;
// every failure is a line on `err`.
int PrintHistoryCsv(const std::string& path, const char* drive, const char* range, std::FILE* out,
                    std::FILE* err);
