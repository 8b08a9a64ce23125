// What the monitor window's 16 cells show after a measurement: the drives that have a
// temperature, packed from cell 0 in drive order (a sleeping drive's name after
// "(スリープ中) "; one asleep since the start keeps the NA text), and the cleared look for
// the rest.
#pragma once

#include "drive_table.h"
#include "drive_verdict.h"
#include "settings.h"

#include <cstdint>

constexpr unsigned kMonitorCells = 16;

struct MonitorCell {
    char name[64] = {};
    char temperatureText[kShortTextSize] = {};
    std::uint8_t currentBar = 0;
    std::uint8_t worstBar = 0;
    // Each bar's colour, an index into ColorGrphLevel (BarLevel from the drive's own
    // warning temperature).
    std::uint8_t currentLevel = 0;
    std::uint8_t worstLevel = 0;
};

struct MonitorCellPlan {
    // Cells 0 .. writtenCells-1 are written; the others are never touched.
    unsigned writtenCells = 0;
    // Cells 0 .. filledCells-1 show a drive, the rest of the written ones are cleared.
    unsigned filledCells = 0;
    MonitorCell cells[kMonitorCells];
};

// Cells at or beyond the probe count are not part of the window's work.
unsigned WrittenCellCount(const DriveState& drives);

// `health`: each drive number's health state (0 unknown, 1 good, 2 caution, 3 bad), or
// null; a drive in caution or bad gets its health word in brackets before its name
// ("[注意] ", "[危険] "), so the window marks it wherever it is read.
// `verdicts` (by drive number, or null: none judged yet): a drive that does not answer is
// marked "(not answering since 12:34)" before its name, and shows no current temperature
// or bar. The bars are coloured by each drive's verdict's warning temperature, the one the
// tray and PELITO warn at (none judged: 0, the limit of a drive that is never hot).
MonitorCellPlan PlanMonitorCells(const DriveState& drives, const Settings& settings, bool worstMode,
                                 const std::uint8_t* health = nullptr, const DriveVerdict* verdicts = nullptr);
