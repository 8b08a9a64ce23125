// How the program reaches its drives, chosen when it is linked: KELVIX.exe through the
// Windows disk-control calls, KELVIX_SIM.exe through simulated drives.
#pragma once

// Installs the program's disk control before the drive table is made; false ends the
// program (the reason has been shown).
bool InstallProgramDiskControl();
