// Which of the drives found are served: in the order found, each one the core can read,
// up to the 16 drive numbers. Every other one gets a journal line with the reason.
#pragma once

#include "block_devices.h"

#include <functional>
#include <string>
#include <vector>

// Whether the drive can be read; `problem` says why not.
using ReadableTest = std::function<bool(const BlockDevice& drive, std::string& problem)>;

std::vector<BlockDevice> ChooseServedDrives(const std::vector<BlockDevice>& found, const std::string& devices,
                                            const ReadableTest& readable);
