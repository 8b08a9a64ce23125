// Which tray picture the monitor shows now.
#pragma once

// The tray picture for the current drives, measuring state and settings.
unsigned CurrentTraySlot();
